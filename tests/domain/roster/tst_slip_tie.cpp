// SPDX-License-Identifier: MIT
// Tying slips to roster pupils: a scanner's burst told from typed keys
// (and the number typed around it kept whole), the slip code naming its
// pupil and no other roster's, the class and number box, and the open
// slip's tie passed to its pupil when the slip is registered.

#include "domain/roster/slip_tie.h"

#include <QtTest>

namespace {

Roster schoolRoster() {
    return Roster({
        {QStringLiteral("5"), QStringLiteral("1"), 3, QStringLiteral("青木 空"), {}, {}},
        {QStringLiteral("6"), QStringLiteral("1"), 3, QStringLiteral("石井 海"), {}, {}},
        {QStringLiteral("6"),
         QStringLiteral("さくら"),
         12,
         QStringLiteral("上野 花"),
         {},
         QStringLiteral("S0042")},
    });
}

// Keys as a string: "\r" is Enter; each key's time follows in times.
QString keysTaken(SlipScanReader& reader, const QString& keys, const QVector<int>& times,
                  QStringList* codes) {
    QString typed;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const int key = keys[i] == u'\r' ? 13 : keys[i].unicode();
        const SlipScanReader::Outcome outcome = reader.key(key, times.value(i, times.last()));
        for (const int handed : outcome.handOn)
            typed.append(QChar(handed));
        if (!outcome.taken)
            typed.append(QChar(key));
        if (!outcome.code.isEmpty())
            codes->append(outcome.code);
    }
    for (const int handed : reader.giveUp())
        typed.append(QChar(handed));
    return typed;
}

}  // namespace

class TestSlipTie : public QObject {
    Q_OBJECT

private slots:
    void scanReader_tellsScansFromTyping_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QVector<int>>("times");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("codes");
        const QVector<int> burst{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110};
        QTest::newRow("a scan in the middle of a number")
            << "12P000117\r3" << QVector<int>{0, 300, 600, 605, 610, 615, 620, 625, 630, 635, 900}
            << "123" << QStringList{QStringLiteral("P000117")};
        QTest::newRow("nothing but typing") << "45\r/" << burst << "45\r/" << QStringList{};
        QTest::newRow("a letter, then slow typing")
            << "p12\r" << QVector<int>{0, 400, 800, 1200} << "12\r" << QStringList{};
        QTest::newRow("a burst broken by a key no code holds")
            << "P12/" << burst << "12/" << QStringList{};
        QTest::newRow("a burst that stops short") << "P12" << burst << "12" << QStringList{};
        QTest::newRow("two scans back to back")
            << "P000117\rP000242\r" << burst << ""
            << QStringList{QStringLiteral("P000117"), QStringLiteral("P000242")};
    }
    void scanReader_tellsScansFromTyping() {
        QFETCH(QString, keys);
        QFETCH(QVector<int>, times);
        QFETCH(QString, typed);
        QFETCH(QStringList, codes);
        SlipScanReader reader;
        QStringList read;
        QCOMPARE(keysTaken(reader, keys, times, &read), typed);
        QCOMPARE(read, codes);
        QVERIFY(!reader.reading());
    }

    void slipCode_namesItsPupilOnly() {
        const Roster roster = schoolRoster();
        for (int pupil = 0; pupil < roster.size(); ++pupil) {
            const QString code = slipCodeOf(roster, pupil);
            QCOMPARE(matchSlipCode(roster, code).pupil, pupil);
            QCOMPARE(matchSlipCode(roster, code.toLower()).pupil, pupil);
        }
        // The same place in a roster read again with another pupil there.
        QVector<RosterPupil> changed = roster.pupils();
        changed[1].name = QStringLiteral("井上 陸");
        const QString stale = slipCodeOf(roster, 1);
        QCOMPARE(matchSlipCode(Roster(changed), stale).problem,
                 SlipTieTexts::kOtherRoster.arg(stale));
        QCOMPARE(matchSlipCode(roster, QStringLiteral("P0009"
                                                      "99"))
                     .problem,
                 SlipTieTexts::kOtherRoster.arg(QStringLiteral("P000999")));
        QCOMPARE(matchSlipCode(roster, QStringLiteral("X12")).problem,
                 SlipTieTexts::kNotSlipCode.arg(QStringLiteral("X12")));
    }

    void lookUp_byClassNumberGradeOrId_data() {
        QTest::addColumn<QString>("classText");
        QTest::addColumn<QString>("numberText");
        QTest::addColumn<int>("pupil");  // -1: none
        QTest::addColumn<QString>("problem");
        using namespace SlipTieTexts;
        QTest::newRow("class and number") << "さくら"
                                          << "12" << 2 << QString();
        QTest::newRow("full-width number") << "さくら"
                                           << "１２" << 2 << QString();
        QTest::newRow("two grades") << "1"
                                    << "3" << -1 << kGradeNeeded;
        QTest::newRow("grade and class") << "6-1"
                                         << "3" << 1 << QString();
        QTest::newRow("no such pupil") << "2"
                                       << "3" << -1 << kNoSuchPupil;
        QTest::newRow("an ID") << "s0042"
                               << "" << 2 << QString();
        QTest::newRow("no such ID") << "S9"
                                    << "" << -1 << kNoSuchId.arg(QStringLiteral("S9"));
    }
    void lookUp_byClassNumberGradeOrId() {
        QFETCH(QString, classText);
        QFETCH(QString, numberText);
        QFETCH(int, pupil);
        QFETCH(QString, problem);
        const PupilMatch match = lookUpPupil(schoolRoster(), classText, numberText);
        QCOMPARE(match.pupil.value_or(-1), pupil);
        QCOMPARE(match.problem, problem);
    }

    void ties_openSlipGoesToItsPupilOnClose() {
        JobCompanion companion;
        companion.roster = schoolRoster();
        SlipTies ties(companion);
        ties.resync(4);
        ties.tieOpenSlip(2);
        ties.followKeying(4);  // a key that closed nothing
        QCOMPARE(ties.openSlip(), 2);
        ties.followKeying(5);  // the slip registered as pupil 5
        QCOMPARE(ties.tieOf(5), 2);
        QVERIFY(!ties.openSlip());
        ties.resync(9);  // a combine: no slip closed
        ties.tieOpenSlip(2);
        ties.followKeying(10);
        QCOMPARE(ties.registeredOf(2), (QVector<int>{5, 10}));
        ties.tieRegistered(5, std::nullopt);
        QCOMPARE(ties.registeredOf(2), QVector<int>{10});
        QCOMPARE(tiedPupilText(companion.roster, 2), QStringLiteral("6年さくら組 12番  上野 花"));
        // The units the school wrote are not written twice.
        QCOMPARE(rosterPlaceText({QStringLiteral("６年"), QStringLiteral("1組"), 3, {}, {}, {}}),
                 QStringLiteral("６年1組 3番"));
    }
};

QTEST_GUILESS_MAIN(TestSlipTie)
#include "tst_slip_tie.moc"
