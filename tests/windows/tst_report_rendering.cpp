// SPDX-License-Identifier: MIT
// The reports as printed: each is painted into a PDF file through the print
// commands and the recording platform, and its text is read back with
// pdftotext. CJK fonts may map characters to radical forms in a PDF, so the
// text is compared in NFKC form on both sides.

#include "domain/entry/order_entry.h"
#include "domain/reports/report_document.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "windows/report_commands.h"
#include "windows/report_fonts.h"
#include "windows/report_preview.h"
#include "windows/report_renderer.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Prints the latest report the platform was asked to preview into a PDF
// file, on an A4 printer as the preview sets it up. False when no report was
// previewed.
bool printLastReport(const FakePlatform& platform, const QString& pdfPath) {
    if (!platform.lastReportPaint)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    printer.setPageLayout(reportPageLayout());
    printer.setDocName(platform.reportTitles.value(platform.reportTitles.size() - 1));
    platform.lastReportPaint(&printer);
    return true;
}

// NFKC, and the katakana middle dot for the hyphenation point: the CJK
// faces draw both with one glyph, which the PDF maps back to U+2027.
QString nfkc(const QString& text) {
    QString normal = text.normalized(QString::NormalizationForm_KC);
    normal.replace(QChar(0x2027), QChar(0x30FB));
    return normal;
}

// The text of a PDF file, page by page (NFKC); empty when pdftotext failed.
QStringList pdfPages(const QString& path, const QStringList& extraArgs = {}) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  extraArgs + QStringList{QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    QStringList pages = nfkc(QString::fromUtf8(process.readAllStandardOutput())).split(u'\f');
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
    void realPreview_opensWindowThatPaintsTheReport();
};

void TestReportRendering::initTestCase() {
    QVERIFY(dir.isValid());
    // The printed PDFs are kept to be looked at when screenshots are asked for.
    if (qEnvironmentVariableIsSet("PICTOR_SHOTS")) {
        dir.setAutoRemove(false);
        qInfo("PDFs in %s", qPrintable(dir.path()));
    }
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
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
    platform.clear();
    entry = std::make_unique<OrderEntry>(job, platform);
    entry->Form_Load(QStringLiteral("/nowhere"));
    for (int p = 1; p <= 60; ++p) {
        QString keys;
        for (int i = 0; i < 40; ++i)
            keys += QString::number(1 + (p * 37 + i * 11) % 9999) + u'\r';
        keyIn(*entry, keys + u'/');
    }
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

void TestReportRendering::realPreview_opensWindowThatPaintsTheReport() {
    smallJob();
    int paints = 0;
    QPrinter* painted = nullptr;
    showReportPreview(nullptr, QStringLiteral("受注数印刷"), [&](QPrinter* printer) {
        ++paints;
        painted = printer;
        paintReport(orderCountDocument(buildOrderCountReport(job)), printer);
    });
    QPrintPreviewDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<QPrintPreviewDialog*>(w))
            dialog = d;
    }
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("受注数印刷"));
    QTRY_VERIFY(paints > 0);
    QCOMPARE(painted, dialog->printer());
    QCOMPARE(dialog->printer()->pageLayout().pageSize().id(), QPageSize::A4);
    QCOMPARE(dialog->printer()->docName(), QStringLiteral("受注数印刷"));
    if (qEnvironmentVariableIsSet("PICTOR_SHOTS"))
        dialog->grab().save(qEnvironmentVariable("PICTOR_SHOTS") + QStringLiteral("/preview.png"));
    QPointer<QPrintPreviewDialog> guard(dialog);
    dialog->close();
    QTRY_VERIFY(guard.isNull());  // deleted on close, with its printer
}

QTEST_MAIN(TestReportRendering)
#include "tst_report_rendering.moc"
