// SPDX-License-Identifier: MIT
// The roster's paper as printed: every kind chosen in its window from the
// input screen's Tools menu, previewed, printed into a PDF as the preview
// saves one, and read back with pdftotext; the order slips' barcodes read
// back with zbarimg.

#include "domain/roster/roster_xlsx.h"
#include "domain/roster/slip_tie.h"
#include "gui/input/form1.h"
#include "gui/printing/pdf_output.h"
#include "gui/tools/frm_roster_print.h"
#include "support/job_window_fixture.h"
#include "support/run_gui.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool haveTool(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

JobCompanion schoolRoster() {
    JobCompanion companion;
    companion.roster = Roster({{"6", "1", 2, "山田 花子", "やまだ はなこ", ""},
                               {"6", "1", 1, "大山 立人", "おおやま りゅうと", ""},
                               {"6", "2", 1, "小林 学", "こばやし まなぶ", ""}});
    companion.ties = {{1, 0}, {2, 2}};
    return companion;
}

}  // namespace

class TestSlipPrinting : public QObject {
    Q_OBJECT

    std::unique_ptr<Program<FakePlatform>> program;
    std::unique_ptr<QTemporaryDir> dir;
    frmRosterPrint* window = nullptr;

    void openFromMenu(const JobCompanion& companion) {
        program->job = keyedJob();
        program->job.customerName = QStringLiteral("ひまわり小学校");
        program->context.companion = companion;
        Form1* form = nullptr;
        QVERIFY(showActive(*program, form));
        control<QAction>(form, "mnuRosterPrint")->trigger();
        window = program->windows.find<frmRosterPrint>();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    // The document last previewed, printed as the preview saves a PDF.
    QString savedPdf(const QString& name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = dir->filePath(name + QStringLiteral(".pdf"));
        printer.setOutputFileName(path);
        if (!program->platform.lastReport || printPdf(*program->platform.lastReport, printer) <= 0)
            return {};
        return path;
    }

private Q_SLOTS:
    void init() {
        program = std::make_unique<Program<FakePlatform>>();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() {
        window = nullptr;
        program.reset();
        dir.reset();
    }

    void everyKind_printsItsTextsSearchably_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("sheet");  // the paper's combo and its index, or empty
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("order slips")
            << "optOrderSlips"
            << "cboOrderSheet:2"
            << "注文票"
            << QStringList{"注文票", "大山 立人", "おおやま りゅうと", "6年2組 1番", "写真番号"};
        QTest::newRow("envelope slips on labels")
            << "optEnvelopeSlips"
            << "cboEnvelopeSheet:5"
            << "納品書"
            << QStringList{"納品書", "山田 花子", "6年2組 1番", "名簿にない注文", "合計金額"};
        QTest::newRow("class totals")
            << "optClassTotals"
            << ""
            << "組別集計" << QStringList{"組別集計", "6年1組", "名簿の人数"};
        QTest::newRow("not ordered") << "optNotOrdered"
                                     << ""
                                     << "未注文者" << QStringList{"未注文者", "大山 立人"};
        QTest::newRow("money list") << "optMoney"
                                    << ""
                                    << "入金一覧" << QStringList{"入金一覧", "小林 学", "入金"};
    }
    void everyKind_printsItsTextsSearchably() {
        QFETCH(QString, option);
        QFETCH(QString, sheet);
        QFETCH(QString, title);
        QFETCH(QStringList, texts);
        openFromMenu(schoolRoster());
        control<QRadioButton>(window, qPrintable(option))->setChecked(true);
        if (!sheet.isEmpty())
            control<QComboBox>(window, qPrintable(sheet.section(u':', 0, 0)))
                ->setCurrentIndex(sheet.section(u':', 1).toInt());
        QTest::mouseClick(control<QPushButton>(window, "cmdPreview"), Qt::LeftButton);
        QCOMPARE(program->platform.reportTitles.value(0), title);

        if (!haveTool("pdftotext"))
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QString pdf = savedPdf(title);
        QVERIFY(!pdf.isEmpty());
        const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("小学校")), qPrintable(text));
        for (const QString& expected : texts)
            QVERIFY2(text.contains(expected), qPrintable(expected + u'\n' + text));
    }

    void orderSlips_barcodesReadAsThePupilsCodes() {
        const JobCompanion companion = schoolRoster();
        openFromMenu(companion);
        control<QComboBox>(window, "cboClass")->setCurrentIndex(1);  // 6年1組
        QTest::mouseClick(control<QPushButton>(window, "cmdPreview"), Qt::LeftButton);
        QCOMPARE(program->platform.lastReport->pageCount(), 1);  // two slips, two to a page

        if (!haveTool("pdftoppm") || !haveTool("zbarimg"))
            QSKIP("pdftoppm or zbarimg is not installed");
        const QString pdf = savedPdf(QStringLiteral("slips"));
        QVERIFY(!pdf.isEmpty());
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"),
             QStringLiteral("-png"), pdf, dir->filePath(QStringLiteral("page"))});
        const QStringList pages = QDir(dir->path()).entryList({QStringLiteral("page*.png")});
        QCOMPARE(pages.size(), 1);
        QStringList read =
            run(QStringLiteral("zbarimg"),
                {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sdisable"),
                 QStringLiteral("-Scode128.enable"), dir->filePath(pages[0])})
                .split(u'\n', Qt::SkipEmptyParts);
        read.sort();
        QStringList codes{slipCodeOf(companion.roster, 0), slipCodeOf(companion.roster, 1)};
        codes.sort();
        QCOMPARE(read, codes);
        for (const QString& code : read)
            QVERIFY(matchSlipCode(companion.roster, code).pupil);
    }

    void moneyList_writtenAsChosen_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("pupil");
        QTest::newRow("workbook") << "money.xlsx" << 1 << QByteArray("PK") << QByteArray();
        QTest::newRow("csv, Shift_JIS")
            << "money.csv" << 0 << QByteArray("\x91\x67,") << QByteArray("\x8E\x52\x93\x63");
        QTest::newRow("csv, UTF-8") << "money.csv" << 1 << QByteArray("\xEF\xBB\xBF\xE7\xB5\x84,")
                                    << QStringLiteral("山田 花子").toUtf8();
    }

    void moneyList_writtenAsChosen() {
        QFETCH(QString, file);
        QFETCH(int, encoding);
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, pupil);
        openFromMenu(schoolRoster());
        control<QRadioButton>(window, "optMoney")->setChecked(true);
        control<QComboBox>(window, "cboCsvEncoding")->setCurrentIndex(encoding);
        const QString path = dir->filePath(file);
        program->platform.fileAnswers = {path};
        QTest::mouseClick(control<QPushButton>(window, "cmdExport"), Qt::LeftButton);
        QVERIFY(program->platform.fileDialogs.value(0).suggestedPath.endsWith(
            QStringLiteral("_入金一覧.xlsx")));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(bytes.startsWith(start));
        if (!pupil.isEmpty()) {
            QVERIFY(bytes.contains(pupil));
            return;
        }
        const RosterReadResult read = readRosterXlsx(bytes);
        QVERIFY2(read.table, qPrintable(read.refusal));
        QCOMPARE(read.table->headers.value(0), QStringLiteral("組"));
        QCOMPARE(read.table->rows.value(0).value(2), QStringLiteral("山田 花子"));
    }

    void withoutRoster_onlyEnvelopeSlips() {
        openFromMenu(JobCompanion{});
        QVERIFY(control<QRadioButton>(window, "optEnvelopeSlips")->isChecked());
        QVERIFY(!control<QRadioButton>(window, "optOrderSlips")->isEnabled());
        QVERIFY(!control<QPushButton>(window, "cmdExport")->isEnabled());
        QTest::mouseClick(control<QPushButton>(window, "cmdPreview"), Qt::LeftButton);
        QCOMPARE(program->platform.reportTitles, QStringList{"納品書"});
    }
};

QTEST_MAIN(TestSlipPrinting)
#include "tst_slip_printing.moc"
