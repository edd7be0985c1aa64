// SPDX-License-Identifier: MIT
// A school's roster read from an Excel workbook as Excel shows it: shared,
// rich and inline text, numbers, gaps, merged cells, any sheet; the rows
// numbered as Excel numbers them. A file that is no workbook, or one forged
// to unpack to far more than it says, refused with its reason.

#include "domain/roster/roster_xlsx.h"
#include "support/xlsx_builder.h"

#include <QtTest>

using Rows = QVector<QStringList>;
using namespace RosterXlsxTexts;

namespace {

const QString kHeaders = QStringLiteral(
    R"(<row r="1"><c r="A1" t="inlineStr"><is><t>組</t></is></c>)"
    R"(<c r="B1" t="inlineStr"><is><t>番号</t></is></c><c r="C1" t="inlineStr"><is><t>氏名</t></is></c></row>)");

QByteArray oleFile(const char* stream) {
    QByteArray bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    bytes.append(512, '\0');
    for (const char* c = stream; *c; ++c)
        bytes.append(*c).append('\0');
    return bytes;
}

}  // namespace

class TestRosterXlsx : public QObject {
    Q_OBJECT

private slots:
    void read_cellsAsExcelShowsThem_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("sheet");  // by name; empty: the first
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QVector<int>>("rowNumbers");
        const QStringList headers{"組", "番号", "氏名"};

        QTest::newRow("a sheet as Excel writes it")
            << XlsxBuilder()
                   .table("名簿", {headers, {"1", "1", "山田 太郎"}, {"1", "2", "佐藤"}})
                   .bytes()
            << QString() << headers << Rows{{"1", "1", "山田 太郎"}, {"1", "2", "佐藤"}}
            << QVector<int>{2, 3};
        QTest::newRow("shared strings: rich text joined, readings left out, escapes")
            << XlsxBuilder()
                   .sharedStrings(
                       {"<t>氏名</t>",
                        R"(<r><rPr><b/></rPr><t>山田</t></r><r><t xml:space="preserve"> 太郎</t></r>)"
                        R"(<rPh sb="0" eb="2"><t>ヤマダ</t></rPh><phoneticPr fontId="1"/>)",
                        "<t>a_x005F_x000D_b_x000A_c</t>"})
                   .sheet(
                       "名簿",
                       R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)"
                       R"(<row r="2"><c r="A2" t="s"><v>1</v></c></row>)"
                       R"(<row r="3"><c r="A3" t="s"><v>2</v></c></row>)"
                       R"(<row r="4"><c r="A4" t="inlineStr"><is><r><t>佐</t></r><r><t>藤</t></r></is></c></row>)")
                   .bytes()
            << QString() << QStringList{"氏名"} << Rows{{"山田 太郎"}, {"a_x000D_b\nc"}, {"佐藤"}}
            << QVector<int>{2, 3, 4};
        QTest::newRow("numbers, booleans, formulas' results and errors")
            << XlsxBuilder()
                   .sheet(
                       "名簿",
                       kHeaders +
                           R"(<row r="2"><c r="A2"><v>12.0</v></c><c r="B2"><v>1.2E1</v></c>)"
                           R"(<c r="C2"><v>0.30000000000000004</v></c></row>)"
                           R"(<row r="3"><c r="A3" t="b"><v>1</v></c><c r="B3" t="str">)"
                           R"(<f>A1&amp;"x"</f><v>組x</v></c><c r="C3" t="e"><v>#N/A</v></c></row>)")
                   .bytes()
            << QString() << headers << Rows{{"12", "12", "0.3"}, {"TRUE", "組x", "#N/A"}}
            << QVector<int>{2, 3};
        QTest::newRow("gaps: references decide, blank rows left out, rows as wide as the headers")
            << XlsxBuilder()
                   .sheet("名簿",
                          R"(<row r="2"><c r="C2" t="inlineStr"><is><t>氏名</t></is></c>)"
                          R"(<c r="A2" t="inlineStr"><is><t>組</t></is></c></row>)"
                          R"(<row r="4"><c r="B4" s="1"/><c><v>7</v></c></row>)"
                          R"(<row r="6"><c r="A6"><v>2</v></c><c r="E9"><v>5</v></c></row>)"
                          R"(<row r="7"><c r="D7" t="inlineStr"><is><t> </t></is></c></row>)")
                   .bytes()
            << QString() << QStringList{"組", "", "氏名"}
            << Rows{{"", "", "7"}, {"2", "", ""}, {"", "", "", "", "5"}} << QVector<int>{4, 6, 9};
        QTest::newRow("merged cells: the first cell's value in each")
            << XlsxBuilder()
                   .sheet(
                       "名簿",
                       kHeaders +
                           R"(<row r="2"><c r="A2"><v>1</v></c><c r="C2" t="inlineStr"><is><t>山田</t></is></c></row>)"
                           R"(<row r="3"><c r="C3" t="inlineStr"><is><t>佐藤</t></is></c></row>)",
                       R"(<mergeCells count="1"><mergeCell ref="A3:A2"/></mergeCells>)")
                   .bytes()
            << QString() << headers << Rows{{"1", "", "山田"}, {"1", "", "佐藤"}}
            << QVector<int>{2, 3};
        const XlsxBuilder three = XlsxBuilder()
                                      .sheet("表紙", "")
                                      .table("6年", {{"氏名"}, {"山田"}})
                                      .table("5年", {{"氏名"}, {"佐藤"}});
        QTest::newRow("a sheet by name")
            << three.bytes() << "5年" << QStringList{"氏名"} << Rows{{"佐藤"}} << QVector<int>{2};
        QTest::newRow("parts named from the root")
            << XlsxBuilder(three).absoluteTargets().bytes() << "6年" << QStringList{"氏名"}
            << Rows{{"山田"}} << QVector<int>{2};
    }
    void read_cellsAsExcelShowsThem() {
        QFETCH(QByteArray, file);
        QFETCH(QString, sheet);
        QVERIFY(isRosterWorkbook(QStringLiteral("名簿.csv"), file));
        const RosterReadResult read =
            sheet.isEmpty() ? readRosterXlsx(file) : readRosterXlsx(file, sheet);
        QVERIFY2(read.table, qPrintable(read.refusal));
        QTEST(read.table->headers, "headers");
        QTEST(read.table->rows, "rows");
        QTEST(read.table->rowNumbers, "rowNumbers");
    }

    void sheets_inTheWorkbooksOrder() {
        const QByteArray file =
            XlsxBuilder().sheet("表紙", "").sheet("6年", "").sheet("5年", "").bytes();
        QCOMPARE(rosterXlsxSheets(file).names, (QStringList{"表紙", "6年", "5年"}));
        QCOMPARE(readRosterXlsx(file, 1).refusal, kEmptySheet.arg("6年"));
        QCOMPARE(readRosterXlsx(file, QStringLiteral("4年")).refusal, kNoSheet.arg("4年"));
    }

    void read_refusesWhatIsNoWorkbook_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("refusal");
        const XlsxBuilder roster = XlsxBuilder().table("名簿", {{"氏名"}, {"山田"}});
        const QString sheet = QStringLiteral("xl/worksheets/sheet1.xml");
        const QString tooLarge = kUnpackedTooLarge.arg(64);

        QTest::newRow("CSV named .xlsx") << QByteArray("組,番号\n1,1\n") << kNotWorkbook;
        QTest::newRow("a zip with no workbook")
            << XlsxBuilder::zip({{"word/document.xml", "<w:document/>"}}) << kNotWorkbook;
        const QByteArray whole = roster.bytes();
        QTest::newRow("cut short") << whole.left(whole.size() * 2 / 3) << kDamaged;
        QTest::newRow("protected by a password") << oleFile("EncryptedPackage") << kProtected;
        QTest::newRow("Excel 97 to 2003") << oleFile("Workbook") << kOldExcel;
        QTest::newRow("larger than a roster")
            << QByteArray("PK\x03\x04", 4) + QByteArray(kMaxRosterFileBytes, ' ')
            << RosterCsvTexts::kTooLarge.arg(8);

        QByteArray huge = whole;
        XlsxBuilder::declareSize(huge, sheet, 0xFFFFFF00u);
        QTest::newRow("a part that says it is huge") << huge << tooLarge;
        // Spaces between the rows: a few hundred kilobytes that unpack to 65 MiB.
        QMap<QString, QByteArray> parts = roster.parts();
        parts[sheet].insert(parts[sheet].indexOf("<row"), QByteArray(65 * 1024 * 1024, ' '));
        QByteArray bomb = XlsxBuilder::zip(parts);
        XlsxBuilder::declareSize(bomb, sheet, 2000);
        QTest::newRow("a part that unpacks to far more than it says") << bomb << tooLarge;

        QTest::newRow("a cell far to the right")
            << XlsxBuilder().sheet("名簿", R"(<row><c r="IW1"><v>1</v></c></row>)").bytes()
            << kTooWide.arg("名簿").arg(257).arg(256);
        QTest::newRow("a shared string that is not there")
            << XlsxBuilder().sheet("名簿", R"(<row><c t="s"><v>0</v></c></row>)").bytes()
            << kDamaged;
        parts = roster.parts();
        parts[sheet].replace("<worksheet", "<!DOCTYPE w [<!ENTITY a \"aaaa\">]><worksheet");
        QTest::newRow("a DTD") << XlsxBuilder::zip(parts) << kDamaged;
    }
    void read_refusesWhatIsNoWorkbook() {
        QFETCH(QByteArray, file);
        QFETCH(QString, refusal);
        QVERIFY(isRosterWorkbook(QStringLiteral("名簿.xlsx"), file));
        const RosterReadResult read = readRosterXlsx(file);
        QVERIFY(!read.table);
        QCOMPARE(read.refusal, refusal);
    }

    // The import takes a sheet as it takes a CSV file; its problems name
    // Excel's rows, and a row's empty cells at its end are none.
    void import_namesExcelsRows() {
        const QByteArray file = XlsxBuilder()
                                    .table("名簿", {{},
                                                    {"組", "番号", "氏名", "備考"},
                                                    {"1", "1", "山田"},
                                                    {"1", "2", "", "転出"}})
                                    .bytes();
        const RosterReadResult read = readRosterXlsx(file);
        QVERIFY(read.table);
        QCOMPARE(read.table->encoding, QStringLiteral("Excel"));
        const RosterImport import =
            importRoster(*read.table, guessRosterColumns(read.table->headers));
        QCOMPARE(import.roster.size(), 1);
        QCOMPARE(import.problems, (QVector<RosterProblem>{{4, RosterCsvTexts::kNoName, true}}));
    }
};

QTEST_GUILESS_MAIN(TestRosterXlsx)
#include "tst_roster_xlsx.moc"
