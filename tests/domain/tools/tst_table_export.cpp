// SPDX-License-Identifier: MIT
// A table written as a workbook and read back by the roster's own reader of
// .xlsx, which knows nothing of libxlsxwriter; as CSV, byte for byte; and
// writes that fail leaving nothing behind, not even the workbook's
// temporary file.

#include "domain/files/file_write_texts.h"
#include "domain/roster/roster_xlsx.h"
#include "domain/tools/table_export.h"
#include "support/fake_platform.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <zip.h>

#ifndef Q_OS_WIN
#include "support/posix_faults_fixture.h"
#endif

using Rows = QVector<QStringList>;

namespace {

// 入金一覧 of a class: number, name, amount, and a column to tick.
ExportTable moneyList() {
    return {
        QStringLiteral("3年1組: 入金一覧 [5/1]"),
        {"番号", "氏名", "金額", "入金"},
        {{qint64(1), QStringLiteral("山田 太郎"), qint64(12000), QStringLiteral("済")},
         {qint64(2), QStringLiteral("=SUM(A1)"), qint64(-500)},
         {qint64(3), QStringLiteral("＋佐藤_x0041_"), qint64(0), QString(), QStringLiteral("x")}},
        {3}};
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One part of a zip, as libzip unpacks it.
QByteArray zipPart(const QByteArray& zipBytes, const char* name) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(zipBytes.constData(), zipBytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_file_t* part = archive ? zip_fopen(archive, name, 0) : nullptr;
    QByteArray bytes;
    char buffer[4096];
    for (zip_int64_t got; part && (got = zip_fread(part, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, got);
    if (part)
        zip_fclose(part);
    archive ? zip_discard(archive) : zip_source_free(source);
    return bytes;
}

}  // namespace

class TestTableExport : public QObject {
    Q_OBJECT

private slots:
    void workbook_readsBackAsWritten() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("入金一覧.xlsx"));
        const TableExportResult result = writeTable(path, moneyList(), tableFileFormat(path));
        QVERIFY2(result.written, qPrintable(result.message));
        QCOMPARE(result.rows, 3);
        const QByteArray bytes = fileBytes(path);

        QCOMPARE(rosterXlsxSheets(bytes).names, QStringList{"3年1組： 入金一覧 ［5／1］"});
        const RosterReadResult read = readRosterXlsx(bytes);
        QVERIFY2(read.table, qPrintable(read.refusal));
        QCOMPARE(read.table->headers, (QStringList{"番号", "氏名", "金額", "入金"}));
        // The formula-looking text comes back as that text (a formula would
        // come back as its value), and so does one looking like Excel's
        // escape of a character.
        QCOMPARE(read.table->rows, (Rows{{"1", "山田 太郎", "12000", ""},
                                         {"2", "=SUM(A1)", "-500", ""},
                                         {"3", "＋佐藤_x0041_", "0", ""}}));

        // Printed A4 portrait, one page wide, the heading frozen and on every page.
        const QByteArray sheet = zipPart(bytes, "xl/worksheets/sheet1.xml");
        for (const char* expected :
             {R"(<pane ySplit="1" topLeftCell="A2" activePane="bottomLeft" state="frozen"/>)",
              R"(<pageSetup paperSize="9" fitToHeight="0" orientation="portrait")"})
            QVERIFY2(sheet.contains(expected), expected);
        QVERIFY(zipPart(bytes, "xl/workbook.xml").contains("_xlnm.Print_Titles"));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) ==
                QStringList{"入金一覧.xlsx"});
    }

    void csv_guardedAndEncoded() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("入金一覧.csv"));
        const ExportTable table{QString(),
                                {"name", "金額", "入金"},
                                {{QStringLiteral("=SUM(A1)"), qint64(-1500), QStringLiteral("x")},
                                 {QStringLiteral("Yamada, Taro")}},
                                {2}};
        const TableExportResult result = writeTable(path, table, tableFileFormat(path));
        QVERIFY2(result.written, qPrintable(result.message));
        QCOMPARE(fileBytes(path), QByteArray("name,\x8B\xE0\x8A\x7A,\x93\xFC\x8B\xE0\r\n"
                                             "'=SUM(A1),-1500,\r\n"
                                             "\"Yamada, Taro\",,\r\n"));
    }

    void sheetName_asExcelTakesIt_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes at the ends") << "'組別集計'"
                                            << "組別集計";
        QTest::newRow("cut at 31") << QString(40, u'あ') << QString(31, u'あ');
        QTest::newRow("a pair not cut")
            << QString(30, u'a') + QString::fromUcs4(U"𠮷") << QString(30, u'a');
        QTest::newRow("control characters") << "a\tb"
                                            << "a b";
        QTest::newRow("nothing left") << "''"
                                      << "表";
    }
    void sheetName_asExcelTakesIt() {
        QFETCH(QString, title);
        QTEST(workbookSheetName(title), "name");
    }

    void failedWrite_leavesNothing_data() {
        QTest::addColumn<QString>("place");  // what stands where the file goes
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cause");
        for (const QString name : {"t.xlsx", "t.csv"}) {
            QTest::addRow("folder missing, %s", qPrintable(name))
                << "missing" << name << FileWriteTexts::kFolderMissing;
            QTest::addRow("a folder at the name, %s", qPrintable(name))
                << "folder" << name << FileWriteTexts::kIsFolder;
            QTest::addRow("read-only folder, %s", qPrintable(name))
                << "read-only" << name << FileWriteTexts::kReadOnly;
        }
    }
    void failedWrite_leavesNothing() {
        QFETCH(QString, place);
        QFETCH(QString, name);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        QString folder = dir.path();
#ifndef Q_OS_WIN
        SmallFileSystem disk(64 * 1024);
        if (place == "read-only") {
            if (!disk.mounted() || !disk.makeReadOnly())
                QSKIP(qPrintable(disk.whyNotMounted()));
            folder = disk.path();
        }
#else
        if (place == "read-only")
            QSKIP("a read-only file system is mounted on Linux only");
#endif
        if (place == "folder")
            QVERIFY(QDir(folder).mkdir(name));
        const QString path = QDir(folder).filePath(place == "missing" ? "none/" + name : name);
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);

        const TableExportResult result = writeTable(path, moneyList(), tableFileFormat(path));
        QVERIFY(!result.written);
        QVERIFY2(result.message.contains(cause), qPrintable(result.message));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    void command_offersTheSuggestionsFormatFirst() {
        QTemporaryDir dir;
        FakePlatform platform;
        const QString path = dir.filePath(QStringLiteral("組別集計.xlsx"));
        platform.fileAnswers = {path};
        const TableExportCommandOutcome outcome =
            tableExportCommand(platform, moneyList(), dir.filePath(QStringLiteral("a.csv")));
        QCOMPARE(platform.fileDialogs.at(0).filters,
                 (QStringList{TableExportTexts::kCsvFilter, TableExportTexts::kXlsxFilter}));
        QVERIFY(!outcome.cancelled && outcome.result.written);
        QCOMPARE(platform.messages, QStringList{outcome.result.message});
        QVERIFY(readRosterXlsx(fileBytes(path)).table);
    }
};

QTEST_GUILESS_MAIN(TestTableExport)
#include "tst_table_export.moc"
