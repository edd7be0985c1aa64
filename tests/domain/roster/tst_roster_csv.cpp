// SPDX-License-Identifier: MIT
// A school's roster read from CSV as schools write it: Shift_JIS or UTF-8,
// commas or tabs, quoted fields; a file that is no roster refused with its
// reason; every row the roster cannot take named with its line and cause.

#include "domain/files/cp932.h"
#include "domain/roster/roster_csv.h"

#include <QtTest>

class TestRosterCsv : public QObject {
    Q_OBJECT

private slots:
    void read_encodingsDelimitersAndQuotes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        const QString text = QStringLiteral(
            "組,番号,氏名,ふりがな\r\n1,1,\"山田, 太郎\",やまだ たろう\r\n\r\n"
            "1,2,\"佐藤 \"\"花子\"\"\",\"さとう\nはなこ\"\r\n");
        QTest::newRow("UTF-8 with a mark") << "\xEF\xBB\xBF" + text.toUtf8() << "UTF-8";
        QTest::newRow("UTF-8") << text.toUtf8() << "UTF-8";
        QTest::newRow("Shift_JIS") << encodeCp932(text) << "Shift_JIS";
        QString tabs = text;
        tabs.replace(u',', u'\t')
            .replace(QStringLiteral("山田\t 太郎"), QStringLiteral("山田, 太郎"));
        QTest::newRow("tabs") << tabs.toUtf8() << "UTF-8";
    }
    void read_encodingsDelimitersAndQuotes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        const RosterReadResult read = readRosterCsv(bytes);
        QVERIFY2(read.table, qPrintable(read.refusal));
        QCOMPARE(read.table->encoding, encoding);
        QCOMPARE(read.table->headers, (QStringList{"組", "番号", "氏名", "ふりがな"}));
        QCOMPARE(read.table->rows,
                 (QVector<QStringList>{{"1", "1", "山田, 太郎", "やまだ たろう"},
                                       {"1", "2", "佐藤 \"花子\"", "さとう\nはなこ"}}));
        QCOMPARE(read.table->rowNumbers, (QVector<int>{2, 3}));
    }

    void read_refusesWhatIsNoRoster_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("an .xlsx named .csv")
            << QByteArray("PK\x03\x04 sheet", 10) << RosterCsvTexts::kNotText;
        QTest::newRow("too large")
            << QByteArray(kMaxRosterFileBytes + 1, 'a') << RosterCsvTexts::kTooLarge.arg(8);
        QTest::newRow("a quote left open")
            << QByteArray("組,番号,氏名\n1,1,\"山田\n") << RosterCsvTexts::kBadQuotes.arg(2);
        QTest::newRow("nothing but blank lines")
            << QByteArray("\r\n,,\r\n") << RosterCsvTexts::kEmpty;
    }
    void read_refusesWhatIsNoRoster() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        const RosterReadResult read = readRosterCsv(bytes);
        QVERIFY(!read.table);
        QCOMPARE(read.refusal, refusal);
    }

    void guessColumns_fromTheirHeaders() {
        QCOMPARE(guessRosterColumns({"学年", "クラス", "出席番号", "名前", "フリガナ", "生徒番号",
                                     "備考", "氏名"}),
                 (QVector<RosterField>{RosterField::Grade, RosterField::Class, RosterField::Number,
                                       RosterField::Name, RosterField::Kana, RosterField::Id,
                                       RosterField::Ignored, RosterField::Ignored}));
    }

    // Every row the roster does not take as it is, with its line and cause.
    void import_listsEveryProblemByRow() {
        const QByteArray bytes = QStringLiteral(
                                     "学年,組,番号,氏名,ID\n"
                                     "6,1,1,山田 太郎,A1\n"
                                     "6,1,2,,A2\n"
                                     "6,1,二,佐藤 花子,A3\n"
                                     "6,１,1,鈴木 一郎,A4\n"
                                     "5,1,1,田中 次郎,A1\n"
                                     "5,2,3,高橋 三郎\n"
                                     ",,,伊藤 四郎,\n"
                                     "5,2,4,渡辺 五郎,A6,余分\n")
                                     .toUtf8();
        const RosterReadResult read = readRosterCsv(bytes);
        QVERIFY(read.table);
        const RosterImport import =
            importRoster(*read.table, guessRosterColumns(read.table->headers));
        using namespace RosterCsvTexts;
        QCOMPARE(import.problems,
                 (QVector<RosterProblem>{{3, kNoName, true},
                                         {4, kBadNumber.arg("二"), true},
                                         {5, kTwice.arg("6年１組 1番").arg(2), true},
                                         {6, kIdTwice.arg("A1").arg(2), true},
                                         {7, kCellCount.arg(4).arg(5), false},
                                         {8, kNoPupilKey, true},
                                         {9, kCellCount.arg(6).arg(5), false}}));
        QCOMPARE(import.roster.size(), 3);
        QCOMPARE(import.roster.find("6", "1", 1), 0);
        QCOMPARE(import.roster.find("", "２", 3), 1);  // one pupil: the grade may be left out
        QCOMPARE(import.roster.findId("a6"), 2);

        const RosterImport none = importRoster(*read.table, {RosterField::Name});
        QCOMPARE(
            none.problems,
            (QVector<RosterProblem>{{1, kMissingColumns.arg("組と番号（または ID）"), false}}));
        QVERIFY(none.roster.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRosterCsv)
#include "tst_roster_csv.moc"
