// SPDX-License-Identifier: MIT
// The reports as printed: each is painted into a PDF file through the print
// commands and the recording platform, written as the program writes its
// PDFs (printPdf), and its text is read back with pdftotext. The kanji read
// back as themselves (savedPdf_readsBackTheKanji); the texts are compared in
// NFKC form on both sides, which evens out the ellipsis.

#include "domain/entry/order_entry.h"
#include "domain/reports/report_document.h"
#include "domain/tools/sample_sheet.h"
#include "gui/printing/pdf_output.h"
#include "gui/printing/report_commands.h"
#include "gui/printing/report_fonts.h"
#include "gui/printing/report_preview.h"
#include "gui/printing/report_renderer.h"
#include "gui/tools/sample_sheet_renderer.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/run_gui.h"

#include <algorithm>

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The tests that read a PDF's text back need pdftotext (not on Windows).
#define REQUIRE_PDFTOTEXT()                                                    \
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) \
    QSKIP("pdftotext (poppler-utils) is not installed")

namespace {

// Prints the latest report the platform was asked to preview into a PDF
// file, on an A4 printer as the preview sets it up. False when no report was
// previewed.
bool printLastReport(const FakePlatform& platform, const QString& pdfPath) {
    if (!platform.lastReport)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    printer.setPageLayout(reportPageLayout());
    printer.setDocName(platform.reportTitles.value(platform.reportTitles.size() - 1));
    printPdf(*platform.lastReport, printer);
    return true;
}

QString nfkc(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC);
}

// The text of a PDF file as pdftotext lays it out; empty when it failed.
QString pdfText(const QString& path, const QStringList& extraArgs = {}) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  extraArgs + QStringList{QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a PDF file, page by page (NFKC); empty when pdftotext failed.
QStringList pdfPages(const QString& path, const QStringList& extraArgs = {}) {
    QStringList pages = nfkc(pdfText(path, extraArgs)).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

void keyIn(OrderEntry& entry, const QString& keys) {
    for (const QChar c : keys)
        entry.Form_KeyPress(c == u'\r' ? OrderEntry::kKeyEnter : c.unicode());
}

bool containsMatch(const QString& text, const QString& pattern) {
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).hasMatch();
}

// A page of a document painted into a small image, a pixel to a point.
QImage pageImage(PrintDocument& document, int page, QPainter* painter = nullptr,
                 QImage* into = nullptr) {
    const QSizeF paper = document.pageLayout().paintRect(QPageLayout::Point).size();
    QImage own;
    QImage& image = into ? *into : own;
    if (image.isNull())
        image = QImage(paper.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter local;
    QPainter& p = painter ? *painter : local;
    if (!painter)
        local.begin(&image);
    document.paintPage(p, page);
    if (!painter)
        local.end();
    return image.copy();
}

// The pages of a PDF file, counted in the file itself.
int pdfPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return int(QString::fromLatin1(file.readAll())
                   .count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))));
}

// A word of a PDF page as pdftotext -bbox places it, in points.
struct PdfWord {
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
};

// The words of a PDF file, page by page; empty when pdftotext failed.
QVector<QVector<PdfWord>> pdfWords(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    QVector<QVector<PdfWord>> pages;
    const QRegularExpression word(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                       "xMax=\"([\\d.]+)\"[^>]*>([^<]*)</word>"));
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            pages.append(QVector<PdfWord>());
            continue;
        }
        if (!pages.isEmpty())
            pages.last().append({nfkc(m.captured(4)), m.captured(1).toDouble(),
                                 m.captured(2).toDouble(), m.captured(3).toDouble()});
    }
    return pages;
}

int darkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 160;
    return dark;
}

ReportPreview* openPreview() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* preview = qobject_cast<ReportPreview*>(w); preview && preview->isVisible())
            return preview;
    }
    return nullptr;
}

}  // namespace

class TestReportRendering : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    JobState job;
    FakePlatform platform;
    std::unique_ptr<OrderEntry> entry;

    void smallJob() {
        job = makeJob();
        job.customerName = QStringLiteral("桜ヶ丘小学校");
        job.eventName = QStringLiteral("運動会");
        job.shootingDate = QStringLiteral("2024/10/12");
        job.photographerName = QStringLiteral("佐藤 一郎");
        platform.clear();
        entry = std::make_unique<OrderEntry>(job, platform);
        entry->Form_Load(QStringLiteral("/nowhere"));
        keyIn(*entry, QStringLiteral("12\r12\r45\r150\r301\r/"));
        keyIn(*entry, QStringLiteral("150\r999\r1\r/"));
        keyIn(*entry, QStringLiteral("77\r77\r"));  // open, not in any report
        platform.clear();
    }

    // Keys 60 pupils of 40 prints each into the job (several pages of each
    // report).
    void keySixtyPupils() {
        platform.clear();
        entry = std::make_unique<OrderEntry>(job, platform);
        entry->Form_Load(QStringLiteral("/nowhere"));
        for (int p = 1; p <= 60; ++p) {
            QString keys;
            for (int i = 0; i < 40; ++i)
                keys += QString::number(1 + (p * 37 + i * 11) % 9999) + u'\r';
            keyIn(*entry, keys + u'/');
        }
    }

    // Prints the report the command previewed into a PDF and returns its pages.
    QStringList printed(const QString& name) {
        const QString path = dir.filePath(name + QStringLiteral(".pdf"));
        if (!printLastReport(platform, path))
            return {};
        return pdfPages(path);
    }

    void checkHeaderOnEveryPage(const QStringList& pages) {
        for (int i = 0; i < pages.size(); ++i) {
            const QString& page = pages[i];
            QVERIFY2(page.contains(nfkc(QStringLiteral("（得意先名）桜ヶ丘小学校"))),
                     qPrintable(page));
            QVERIFY(page.contains(nfkc(QStringLiteral("（行事名）運動会"))));
            QVERIFY(page.contains(QStringLiteral("%1 / %2 ページ").arg(i + 1).arg(pages.size())));
        }
    }

private slots:
    void initTestCase();
    void fonts_areInstalledJapaneseFacesThatDrawTheText();
    void orderCountReport_printsHeaderCountsAndTotals();
    void pupilReport_printsEachPupilAndTheTotal();
    void reprintReport_printsOrderedNumbersOnly();
    void longPupilReport_breaksBetweenPupilsWithHeaderOnEveryPage();
    void longRange_continuesOnTheNextPageUnderItsHeading();
    void longHeaderTexts_printedWholeOnEveryReport_data();
    void longHeaderTexts_printedWholeOnEveryReport();
    void preview_keepsTheJobAsItWasWhenAskedFor();
    void printerPageRange_printsThosePagesOnly();
    void pageAlone_isThatPageOfThemAll_data();
    void pageAlone_isThatPageOfThemAll();
    void preview_showsPagesAsTheyComeIntoView_navigatesAndSavesPdf();
    void preview_pdfNotWritten_toldAndStaysOpen();
    void savedPdf_readsBackTheKanji_data();
    void savedPdf_readsBackTheKanji();
    void pupilReport_noRosterOrNobodyTied_printsAsItAlwaysHas_data();
    void pupilReport_noRosterOrNobodyTied_printsAsItAlwaysHas();
    void pupilReport_withRoster_namesBesideTheLabels_longOnesShortened();
    void cbPrintKojin_withRoster_asksTheOrderThenPreviews();
};

void TestReportRendering::initTestCase() {
    QVERIFY(dir.isValid());
    // The printed PDFs are kept to be looked at when screenshots are asked for.
    if (qEnvironmentVariableIsSet("PICTOR_SHOTS")) {
        dir.setAutoRemove(false);
        qInfo("PDFs in %s", qPrintable(dir.path()));
    }
}

void TestReportRendering::fonts_areInstalledJapaneseFacesThatDrawTheText() {
    const QString sample = QStringLiteral("☆全受注数（大）・・・（撮影年月日）やきまし注文数 円");
    for (const ReportFace face : {ReportFace::Mincho, ReportFace::Gothic}) {
        const QString family = reportFontFamily(face);
        QVERIFY2(!family.isEmpty(), "no installed face draws Japanese");
        QVERIFY(familyDrawsText(family, sample));
        // The font the reports ask for is the one they get.
        QCOMPARE(QFontInfo(reportFont(face, 10)).family(), family);
        // A listed face is preferred to any other Japanese face.
        const QStringList listed = reportFamilyCandidates(face);
        const QStringList installed = QFontDatabase::families();
        if (std::any_of(listed.begin(), listed.end(),
                        [&](const QString& f) { return installed.contains(f); }))
            QVERIFY(listed.contains(family));
    }
    QVERIFY(reportFontFamily(ReportFace::Mincho) != reportFontFamily(ReportFace::Gothic));
    QVERIFY(!familyDrawsText(QStringLiteral("No Such Family 1234"), sample));
}

void TestReportRendering::orderCountReport_printsHeaderCountsAndTotals() {
    REQUIRE_PDFTOTEXT();
    smallJob();
    printOrderCountReport(job, platform);
    QCOMPARE(platform.reportTitles, QStringList{QStringLiteral("受注数印刷")});
    const QStringList pages = printed(QStringLiteral("order_counts"));
    QVERIFY(!pages.isEmpty());
    checkHeaderOnEveryPage(pages);
    const QString all = pages.join(u'\n');
    QVERIFY(all.contains(nfkc(QStringLiteral("（撮影年月日）2024/10/12"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("（撮影者）佐藤 一郎"))));
    QVERIFY(all.contains(QString(82, u'_')));
    QVERIFY(all.contains(QString(72, u'_')));
    QVERIFY(!all.contains(QString(83, u'_')));
    // Large 4 (1, 12, 12, 45), medium 2 (150, 150), small 2 (301, 999).
    QVERIFY(all.contains(nfkc(QStringLiteral("☆全受注数（大）・・・4 枚"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("☆全受注数（中）・・・2 枚"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("☆全受注数（小）・・・2 枚"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("☆合計金額・・・4400 円"))));
    // Photo numbers with their counts, zeros too; the open pupil's 77 counts 0.
    QVERIFY(containsMatch(all, QStringLiteral("(^|\\s)12\\s+2\\s")));
    QVERIFY(containsMatch(all, QStringLiteral("(^|\\s)13\\s+0\\s")));
    QVERIFY(containsMatch(all, QStringLiteral("(^|\\s)77\\s+0\\s")));
    QVERIFY(containsMatch(all, QStringLiteral("(^|\\s)150\\s+2\\s")));
    QVERIFY(containsMatch(all, QStringLiteral("(^|\\s)999\\s+1(\\s|$)")));
    QVERIFY(all.contains(nfkc(QStringLiteral("入力中でまだ登録されていない 2 枚"))));
}

void TestReportRendering::pupilReport_printsEachPupilAndTheTotal() {
    REQUIRE_PDFTOTEXT();
    smallJob();
    printPupilReport(job, platform);
    QCOMPARE(platform.reportTitles, QStringList{QStringLiteral("個人別印刷")});
    const QStringList pages = printed(QStringLiteral("pupils"));
    QVERIFY(!pages.isEmpty());
    checkHeaderOnEveryPage(pages);
    const QString all = pages.join(u'\n');
    QVERIFY(containsMatch(all, QStringLiteral("\\(1\\)\\s+12\\s+12\\s+45\\s+150\\s+301\\s")));
    QVERIFY(containsMatch(all, QStringLiteral("\\(2\\)\\s+150\\s+999\\s+1\\s")));
    QVERIFY(containsMatch(all, QStringLiteral("3000 円")));
    QVERIFY(containsMatch(all, QStringLiteral("1400 円")));
    QVERIFY(!containsMatch(all, QStringLiteral("\\(3\\)")));
    QVERIFY(!containsMatch(all, QStringLiteral("(^|\\s)77(\\s|$)")));
    QVERIFY(all.contains(nfkc(QStringLiteral("☆全受注数（大）・・・4 枚"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("☆合計金額・・・4400 円"))));
}

void TestReportRendering::reprintReport_printsOrderedNumbersOnly() {
    REQUIRE_PDFTOTEXT();
    smallJob();
    printReprintReport(job, platform);
    QCOMPARE(platform.reportTitles, QStringList{QStringLiteral("やきまし数印刷")});
    const QStringList pages = printed(QStringLiteral("reprints"));
    QVERIFY(!pages.isEmpty());
    checkHeaderOnEveryPage(pages);
    const QString all = pages.join(u'\n');
    QVERIFY(all.contains(nfkc(QStringLiteral("☆やきまし注文数（大）・・・4 枚"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("☆やきまし注文数（中）・・・2 枚"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("☆やきまし注文数（小）・・・2 枚"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("写真 3 点"))));
    QVERIFY(containsMatch(all, QStringLiteral("(^|\\s)1\\s+1\\s+12\\s+2\\s+45\\s+1(\\s|$)")));
    QVERIFY(containsMatch(all, QStringLiteral("(^|\\s)301\\s+1\\s+999\\s+1(\\s|$)")));
    QVERIFY(!containsMatch(all, QStringLiteral("(^|\\s)13\\s+0\\s")));
    QVERIFY(!containsMatch(all, QStringLiteral("(^|\\s)77\\s")));
}

void TestReportRendering::longPupilReport_breaksBetweenPupilsWithHeaderOnEveryPage() {
    REQUIRE_PDFTOTEXT();
    smallJob();
    keyIn(*entry, QStringLiteral("/"));  // the open pupil is registered as pupil 3
    for (int p = 4; p <= 60; ++p) {
        QString keys;
        for (int i = 0; i < 40; ++i)
            keys += QString::number(1 + (p * 37 + i * 11) % 999) + u'\r';
        keyIn(*entry, keys + u'/');
    }
    QCOMPARE(job.personCount, 60);
    printPupilReport(job, platform);
    const QStringList pages = printed(QStringLiteral("long_pupils"));
    QVERIFY(pages.size() >= 3);
    checkHeaderOnEveryPage(pages);

    // Every pupil is printed once, and its amount is on the page of its label.
    const QRegularExpression label(QStringLiteral("^\\s*\\((\\d+)\\)\\s"),
                                   QRegularExpression::MultilineOption);
    const QRegularExpression amount(
        QStringLiteral("^\\s*(大|中|小)\\s*\\d+\\s*枚.*\\s(\\d+) 円\\s*$"),
        QRegularExpression::MultilineOption);
    QVector<int> seen;
    for (const QString& page : pages) {
        int labels = 0;
        for (auto it = label.globalMatch(page); it.hasNext(); ++labels)
            seen << it.next().captured(1).toInt();
        int amounts = 0;
        for (auto it = amount.globalMatch(page); it.hasNext(); it.next())
            ++amounts;
        QCOMPARE(amounts, labels);
    }
    QCOMPARE(seen.size(), 60);
    for (int i = 0; i < 60; ++i)
        QCOMPARE(seen[i], i + 1);
    QVERIFY(pages.last().contains(QStringLiteral("☆合計金額・・・")));
}

void TestReportRendering::longRange_continuesOnTheNextPageUnderItsHeading() {
    REQUIRE_PDFTOTEXT();
    job = makeJob({1, 2000, 800, 2001, 3000, 500, 3001, 9999, 100});
    job.customerName = QStringLiteral("桜ヶ丘小学校");
    job.eventName = QStringLiteral("運動会");
    printOrderCountReport(job, platform);
    const QStringList pages = printed(QStringLiteral("long_counts"));
    QVERIFY(pages.size() >= 10);
    checkHeaderOnEveryPage(pages);
    // The small range (3001-9999) starts on some page and continues on the next.
    const QString heading = nfkc(QStringLiteral("小\\s+写真番号 3001〜9999"));
    int first = -1;
    for (int i = 0; i < pages.size() && first < 0; ++i) {
        if (containsMatch(pages[i], heading))
            first = i;
    }
    QVERIFY(first >= 0 && first + 1 < pages.size());
    QVERIFY(!containsMatch(pages[first], heading + QStringLiteral("\\(つづき\\)")));
    QVERIFY(containsMatch(pages[first + 1], heading + QStringLiteral("\\(つづき\\)")));
    // Every number of the three ranges is there once, with its count 0.
    const QString all = pages.join(u'\n');
    int cells = 0;
    for (auto it = QRegularExpression(QStringLiteral("(?<=\\s|^)(\\d+)\\s+0(?=\\s|$)"),
                                      QRegularExpression::MultilineOption)
                       .globalMatch(all);
         it.hasNext(); it.next())
        ++cells;
    QCOMPARE(cells, 9999);
}

void TestReportRendering::longHeaderTexts_printedWholeOnEveryReport_data() {
    QTest::addColumn<int>("report");
    QTest::newRow("order counts") << 0;
    QTest::newRow("pupils") << 1;
    QTest::newRow("reprints") << 2;
}

// Customer, event, date and photographer are printed whole on the first
// page however long, wrapped where they must be; the running header of the
// following pages keeps a short photographer's name whole.
void TestReportRendering::longHeaderTexts_printedWholeOnEveryReport() {
    REQUIRE_PDFTOTEXT();
    QFETCH(int, report);
    const QString customer =
        QStringLiteral("東京都世田谷区立第三十二小学校六年一組二組三組四組合同卒業アルバム撮影会");
    QCOMPARE(customer.size(), 36);
    const QString event = QStringLiteral(
        "令和六年度 秋季大運動会 午前の部 午後の部 および 閉会式 ならびに 保護者参加競技 "
        "全学年 紅白対抗リレー 決勝 表彰式 記念撮影会 （雨天順延の場合は翌週土曜日）");
    job = makeJob({1, 2000, 800, 2001, 3000, 500, 3001, 9999, 100});
    job.customerName = customer;
    job.eventName = event;
    job.shootingDate = QStringLiteral("2024年10月12日（土）");
    job.photographerName = QStringLiteral("Tanaka");
    keySixtyPupils();
    platform.clear();
    switch (report) {
        case 0:
            printOrderCountReport(job, platform);
            break;
        case 1:
            printPupilReport(job, platform);
            break;
        default:
            printReprintReport(job, platform);
            break;
    }
    const QStringList pages = printed(QStringLiteral("long_header_%1").arg(report));
    QVERIFY(pages.size() >= 2);

    // Page 1, read without the blanks and line breaks of the layout.
    const auto squeezed = [](QString text) {
        return text.remove(QRegularExpression(QStringLiteral("\\s")));
    };
    const QString first = squeezed(pages[0]);
    for (const QString& whole :
         {ReportText::customerLabel + customer, ReportText::eventLabel + event,
          ReportText::shootingDateLabel + job.shootingDate,
          ReportText::photographerLabel + QStringLiteral("Tanaka")})
        QVERIFY2(first.contains(squeezed(nfkc(whole))), qPrintable(pages[0]));
    // Below the running header (its line ends with the page number) and
    // above the rule, nothing is shortened.
    const qsizetype below = pages[0].indexOf(u'\n', pages[0].indexOf(QStringLiteral("ページ")));
    const QString headerBlock = pages[0].mid(below, pages[0].indexOf(QString(82, u'_')) - below);
    QVERIFY2(!headerBlock.contains(u'…') && !headerBlock.contains(QStringLiteral("...")),
             qPrintable(headerBlock));
    for (const QString& page : pages) {
        QVERIFY2(page.contains(nfkc(QStringLiteral("（撮影者）Tanaka"))), qPrintable(page));
        QVERIFY2(page.contains(nfkc(QStringLiteral("（撮影年月日）2024年10月12日（土）"))),
                 qPrintable(page));
    }
}

void TestReportRendering::preview_keepsTheJobAsItWasWhenAskedFor() {
    REQUIRE_PDFTOTEXT();
    smallJob();
    printOrderCountReport(job, platform);
    keyIn(*entry, QStringLiteral("/"));  // the open pupil closes while the preview is up
    keyIn(*entry, QStringLiteral("1\r1\r/"));
    const QString all = printed(QStringLiteral("snapshot")).join(u'\n');
    QVERIFY(all.contains(nfkc(QStringLiteral("☆全受注数（大）・・・4 枚"))));
    QVERIFY(all.contains(nfkc(QStringLiteral("☆合計金額・・・4400 円"))));

    printOrderCountReport(job, platform);
    const QString later = printed(QStringLiteral("later")).join(u'\n');
    QVERIFY(later.contains(nfkc(QStringLiteral("☆全受注数（大）・・・8 枚"))));
}

void TestReportRendering::printerPageRange_printsThosePagesOnly() {
    REQUIRE_PDFTOTEXT();
    job = makeJob({1, 2000, 800, 2001, 3000, 500, 3001, 9999, 100});
    job.customerName = QStringLiteral("桜ヶ丘小学校");
    job.eventName = QStringLiteral("運動会");
    printOrderCountReport(job, platform);
    const QString path = dir.filePath(QStringLiteral("range.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(reportPageLayout());
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    platform.lastReportPaint(&printer);
    const QStringList pages = pdfPages(path);
    QCOMPARE(pages.size(), 2);
    QVERIFY(containsMatch(pages[0], QStringLiteral("2 / \\d+ ページ")));
    QVERIFY(containsMatch(pages[1], QStringLiteral("3 / \\d+ ページ")));
}

void TestReportRendering::pageAlone_isThatPageOfThemAll_data() {
    QTest::addColumn<int>("report");
    QTest::addColumn<int>("page");  // 0: the last
    QTest::newRow("order counts, first") << 0 << 1;
    QTest::newRow("order counts, a continued range") << 0 << 3;
    QTest::newRow("pupils, first") << 1 << 1;
    QTest::newRow("pupils, middle") << 1 << 2;
    QTest::newRow("pupils, last") << 1 << 0;
    QTest::newRow("reprints, last") << 2 << 0;
}

// Any page painted alone, without the pages before it, is the same as when
// the pages are painted in order with one painter, as a printer gets them.
void TestReportRendering::pageAlone_isThatPageOfThemAll() {
    QFETCH(int, report);
    QFETCH(int, page);
    job = makeJob({1, 2000, 800, 2001, 3000, 500, 3001, 9999, 100});
    job.customerName = QStringLiteral("桜ヶ丘小学校");
    job.eventName = QStringLiteral("運動会");
    keySixtyPupils();
    const auto make = [&] {
        return std::make_shared<ReportPages>(
            report == 0   ? orderCountDocument(buildOrderCountReport(job))
            : report == 1 ? pupilDocument(buildPupilReport(job))
                          : reprintDocument(buildReprintReport(job)));
    };
    const auto alone = make();
    const int count = alone->pageCount();
    QVERIFY(count >= 3);
    if (page == 0)
        page = count;
    const QImage shown = pageImage(*alone, page);
    QVERIFY(darkPixels(shown) > 300);

    const auto all = make();
    QImage image;
    QImage inOrder;
    QPainter painter;
    for (int p = 1; p <= count; ++p) {
        if (image.isNull()) {
            pageImage(*all, p, nullptr, &image);  // sizes the image
            QVERIFY(painter.begin(&image));
        }
        const QImage painted = pageImage(*all, p, &painter, &image);
        if (p == page)
            inOrder = painted;
    }
    painter.end();
    QCOMPARE(inOrder, shown);
    // And the PDF at the preview's resolution has the pages shown.
    const QString path = dir.filePath(QStringLiteral("alone_%1.pdf").arg(report));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(reportPageLayout());
    QCOMPARE(all->print(&printer), count);
    QCOMPARE(pdfPageCount(path), count);
}

void TestReportRendering::preview_showsPagesAsTheyComeIntoView_navigatesAndSavesPdf() {
    job = makeJob({1, 2000, 800, 2001, 3000, 500, 3001, 9999, 100});
    job.customerName = QStringLiteral("桜ヶ丘小学校");
    job.eventName = QStringLiteral("運動会");
    auto document = std::make_shared<ReportPages>(orderCountDocument(buildOrderCountReport(job)));
    const int count = document->pageCount();
    QVERIFY(count >= 10);
    showReportPreview(nullptr, QStringLiteral("受注数印刷"), document, platform);
    ReportPreview* preview = openPreview();
    QVERIFY(preview);
    QPointer<ReportPreview> guard(preview);
    QVERIFY(QTest::qWaitForWindowExposed(preview));
    QCOMPARE(preview->windowTitle(), QStringLiteral("受注数印刷"));
    QCOMPARE(preview->pageCount(), count);
    QCOMPARE(preview->printer()->pageLayout().pageSize().id(), QPageSize::A4);
    QCOMPARE(preview->printer()->docName(), QStringLiteral("受注数印刷"));
    // Only what is in view is painted: a page or two, not all of them.
    QTRY_VERIFY(preview->tilesPainted() > 0);
    const int firstTiles = preview->tilesPainted();
    QVERIFY2(firstTiles <= 12, qPrintable(QString::number(firstTiles)));
    auto* pageBox = preview->findChild<QSpinBox*>(QStringLiteral("spnPage"));
    QVERIFY(pageBox);
    QCOMPARE(pageBox->suffix(), QStringLiteral(" / %1 ページ").arg(count));

    // The keys, each from where the last left.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page;
    } steps[] = {{Qt::Key_PageDown, {}, 2}, {Qt::Key_PageDown, {}, 3},     {Qt::Key_PageUp, {}, 2},
                 {Qt::Key_End, {}, count},  {Qt::Key_PageDown, {}, count}, {Qt::Key_Home, {}, 1},
                 {Qt::Key_PageUp, {}, 1}};
    for (const auto& step : steps) {
        QTest::keyClick(preview, step.key, step.modifiers);
        QCOMPARE(preview->currentPage(), step.page);
        QCOMPARE(pageBox->value(), step.page);
        QApplication::processEvents();
    }
    // A page typed into the box.
    pageBox->setFocus();
    pageBox->selectAll();
    QTest::keyClicks(pageBox, QString::number(count - 1));
    QTest::keyClick(pageBox, Qt::Key_Return);
    QCOMPARE(preview->currentPage(), count - 1);
    // Zoom in and out, and the whole page.
    const double fitted = preview->zoom();
    QTest::keyClick(preview, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(preview->zoom() > fitted);
    QTest::keyClick(preview, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(preview, Qt::Key_Minus, Qt::ControlModifier);
    QVERIFY(preview->zoom() < fitted);
    preview->fitToPage();
    QCOMPARE(preview->currentPage(), count - 1);
    QApplication::processEvents();
    QVERIFY(preview->bytesKept() < 40LL * 1024 * 1024);
    if (qEnvironmentVariableIsSet("PICTOR_SHOTS"))
        preview->grab().save(qEnvironmentVariable("PICTOR_SHOTS") + QStringLiteral("/preview.png"));

    // Ctrl+S: the PDF, after which the preview closes.
    const QString pdf = dir.filePath(QStringLiteral("from_preview.pdf"));
    platform.fileAnswers << pdf;
    QTest::keyClick(preview, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(platform.fileDialogs.size(), 1);
    QCOMPARE(platform.fileDialogs[0].caption, ReportPreview::kPdfCaption);
    QVERIFY(platform.fileDialogs[0].suggestedPath.endsWith(QStringLiteral("受注数印刷.pdf")));
    QVERIFY(platform.messages.isEmpty());
    QTRY_VERIFY(guard.isNull());  // closed and deleted
    QCOMPARE(pdfPageCount(pdf), count);
}

void TestReportRendering::preview_pdfNotWritten_toldAndStaysOpen() {
    smallJob();
    showReportPreview(nullptr, QStringLiteral("個人別印刷"),
                      std::make_shared<ReportPages>(pupilDocument(buildPupilReport(job))),
                      platform);
    ReportPreview* preview = openPreview();
    QVERIFY(preview);
    const QString pdf = dir.filePath(QStringLiteral("no/such/folder/pupils.pdf"));
    platform.fileAnswers << pdf;
    preview->savePdf();
    QCOMPARE(platform.messages,
             QStringList{ReportPreview::kPdfFailed.arg(QDir::toNativeSeparators(pdf))});
    QVERIFY(preview->isVisible());
    // Esc closes it.
    QPointer<ReportPreview> guard(preview);
    QTest::keyClick(preview, Qt::Key_Escape);
    QTRY_VERIFY(guard.isNull());
}

void TestReportRendering::savedPdf_readsBackTheKanji_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("printToFile");
    QTest::newRow("受注数, PDF key") << "orders" << false;
    QTest::newRow("受注数, printed to a file") << "orders" << true;
    QTest::newRow("個人別, PDF key") << "pupils" << false;
    QTest::newRow("やきまし, PDF key") << "reprints" << false;
    QTest::newRow("the sample sheets, PDF key") << "sheets" << false;
}

// The PDFs the preview writes read back with the kanji the fonts draw with a
// radical's glyph (大, 小, 人), not with the radicals.
void TestReportRendering::savedPdf_readsBackTheKanji() {
    REQUIRE_PDFTOTEXT();
    QFETCH(QString, kind);
    QFETCH(bool, printToFile);
    smallJob();
    job.eventName = QStringLiteral("大人の部");
    std::shared_ptr<PrintDocument> document;
    if (kind == QLatin1String("sheets"))
        document = std::make_shared<SampleSheetPages>(
            layOutSampleSheets(job, {12, 150}, SampleSheetOptions()),
            std::make_shared<SampleSheetPhotos>());
    else
        document = std::make_shared<ReportPages>(
            kind == QLatin1String("pupils")     ? pupilDocument(buildPupilReport(job))
            : kind == QLatin1String("reprints") ? reprintDocument(buildReprintReport(job))
                                                : orderCountDocument(buildOrderCountReport(job)));
    showReportPreview(nullptr, QStringLiteral("受注数印刷"), document, platform);
    QPointer<ReportPreview> preview = openPreview();
    QVERIFY(preview);
    const QString pdf = dir.filePath(QStringLiteral("kanji.pdf"));
    if (printToFile) {
        preview->printer()->setOutputFileName(pdf);
        QVERIFY(preview->printOn(preview->printer()) > 0);
        preview->close();
    } else {
        platform.fileAnswers << pdf;
        preview->savePdf();
    }
    QTRY_VERIFY(preview.isNull());
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("（得意先名）桜ヶ丘小学校")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("（行事名）大人の部")));
}

void TestReportRendering::pupilReport_noRosterOrNobodyTied_printsAsItAlwaysHas_data() {
    QTest::addColumn<bool>("roster");
    QTest::newRow("no roster") << false;
    QTest::newRow("a roster, nobody tied") << true;
}

// Every page painted as the report without a roster paints it, and no
// question asked.
void TestReportRendering::pupilReport_noRosterOrNobodyTied_printsAsItAlwaysHas() {
    QFETCH(bool, roster);
    job = makeJob({1, 2000, 800, 2001, 3000, 500, 3001, 9999, 100});
    keySixtyPupils();
    JobCompanion companion;
    if (roster)
        companion.roster = Roster({{"6", "1", 1, QStringLiteral("山田 花子"), "", ""}});
    platform.clear();
    printPupilReport(job, platform);
    const std::shared_ptr<PrintDocument> asItWas = platform.lastReport;
    printPupilReport(job, companion, platform);
    QVERIFY(platform.choices.isEmpty());
    QCOMPARE(platform.reportTitles, QStringList({"個人別印刷", "個人別印刷"}));
    const std::shared_ptr<PrintDocument> printed = platform.lastReport;
    QVERIFY(printed != asItWas);
    QCOMPARE(printed->pageCount(), asItWas->pageCount());
    QVERIFY(printed->pageCount() >= 3);
    for (int page = 1; page <= printed->pageCount(); ++page)
        QVERIFY2(pageImage(*printed, page) == pageImage(*asItWas, page),
                 qPrintable(QString::number(page)));
}

// In the order chosen, each tied pupil's class, number and name beside the
// label; a name longer than its room ends in "…" before the photo numbers,
// whose column is in one place for every pupil, named or not.
void TestReportRendering::pupilReport_withRoster_namesBesideTheLabels_longOnesShortened() {
    REQUIRE_PDFTOTEXT();
    smallJob();
    keyIn(*entry, QStringLiteral("/"));  // pupil 3: 77, 77
    const QString longName = QStringLiteral(
        "寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末風来末食う寝る処に住む処");
    JobCompanion companion;
    companion.roster = Roster(
        {{"6", "さくら", 40, longName, "", ""}, {"6", "1", 2, QStringLiteral("林 一"), "", ""}});
    companion.ties = {{1, 0}, {3, 1}};
    platform.choiceAnswers = {1};  // 組・番号順
    printPupilReport(job, companion, platform);
    QCOMPARE(platform.choices.size(), 1);
    const QString path = dir.filePath(QStringLiteral("names.pdf"));
    QVERIFY(printLastReport(platform, path));
    const QVector<QVector<PdfWord>> pages = pdfWords(path);
    QCOMPARE(pages.size(), 1);
    const QVector<PdfWord>& words = pages[0];

    // Each pupil's line: its label, then the words right of it on that line.
    const QStringList labels = {"(3)", "(1)", "(2)"};
    const QStringList names = {QStringLiteral("6年1組2番林一"),
                               nfkc(QStringLiteral("6年さくら組40番寿限無")), QString()};
    QVector<double> labelTops;
    QVector<double> numbersEnd;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const auto at = std::find_if(words.begin(), words.end(),
                                     [&](const PdfWord& w) { return w.text == labels[i]; });
        QVERIFY2(at != words.end(), qPrintable(labels[i]));
        labelTops << at->yMin;
        QVector<PdfWord> line;
        for (const PdfWord& w : words)
            if (qAbs(w.yMin - at->yMin) < 4 && w.xMin > at->xMax)
                line.append(w);
        std::sort(line.begin(), line.end(),
                  [](const PdfWord& a, const PdfWord& b) { return a.xMin < b.xMin; });
        QString name;
        double nameEnd = at->xMax;
        for (const PdfWord& w : line) {
            bool isNumber = false;
            w.text.toInt(&isNumber);
            if (isNumber) {
                QVERIFY2(nameEnd < w.xMin, qPrintable(labels[i] + u' ' + name));
                numbersEnd << w.xMax;  // right-aligned in their cells
                break;
            }
            name += w.text;
            nameEnd = w.xMax;
        }
        QVERIFY2(name.startsWith(names[i]) && (names[i].isEmpty() == name.isEmpty()),
                 qPrintable(name));
        QCOMPARE(name.endsWith(QStringLiteral("...")), labels[i] == "(1)");  // "…" in NFKC
    }
    QVERIFY(std::is_sorted(labelTops.begin(), labelTops.end()));
    QCOMPARE(numbersEnd.size(), 3);
    QVERIFY(qAbs(numbersEnd[0] - numbersEnd[1]) < 1 && qAbs(numbersEnd[0] - numbersEnd[2]) < 1);
}

// The button and the menu entry give the report the run's roster.
void TestReportRendering::cbPrintKojin_withRoster_asksTheOrderThenPreviews() {
    Program<FakePlatform> run(QStringLiteral("/opt/pictor"));
    run.job = makeJob();
    Form1* form = nullptr;
    QVERIFY(handOverToInputScreen(run, form));
    keyOnInputScreen(form, QStringLiteral("5\r/12\r/"));
    run.context.companion.roster = Roster({{"6", "1", 1, QStringLiteral("山田 花子"), "", ""}});
    run.context.companion.ties = {{2, 0}};
    run.platform.choiceAnswers = {1};
    QTest::mouseClick(control<QPushButton>(form, "cbPrintKojin"), Qt::LeftButton);
    QCOMPARE(run.platform.choices.size(), 1);
    QCOMPARE(run.platform.reportTitles, QStringList{"個人別印刷"});
    control<QAction>(form, "mnuKojin")->trigger();  // Esc
    QCOMPARE(run.platform.choices.size(), 2);
    QCOMPARE(run.platform.reportTitles.size(), 1);
    run.windows.closeAll();
}

QTEST_MAIN(TestReportRendering)
#include "tst_report_rendering.moc"
