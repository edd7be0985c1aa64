// SPDX-License-Identifier: MIT
// The roster's names of the registered pupils, and the order question of
// the per-pupil report: asked only where the roster names a pupil.

#include "domain/tools/pupil_names.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <QtTest>

class TestPupilNames : public QObject {
    Q_OBJECT

    // Three registered pupils.
    static JobState threePupils() {
        JobState job = makeJob();
        for (int pupil = 1; pupil <= 3; ++pupil)
            job.personRecords[pupil] = QStringLiteral("(%1) 5 \\.800 ").arg(pupil);
        job.personCount = job.lastRecordSlot = 3;
        return job;
    }

private Q_SLOTS:
    void pupilNamesOf_namesTheTiedPupilsOnly() {
        JobCompanion companion;
        companion.roster = Roster({{"6", "1", 12, "山田 花子", "", ""}});
        companion.ties = {{2, 0}, {3, 1}};  // 3: a tie past the roster, as no file holds it
        QCOMPARE(pupilNamesOf(companion), (PupilNames{{2, {"6", "1", 12, "山田 花子"}}}));
        QVERIFY(!pupilNameOf(companion, 1));
        QVERIFY(!pupilNameOf(companion, 3));
        QVERIFY(pupilNamesOf(JobCompanion{}).empty());
    }

    void reportOrder_askedWhereTheRosterNamesAPupil_data() {
        QTest::addColumn<int>("rosterPupils");
        QTest::addColumn<QList<int>>("tiedPupils");
        QTest::addColumn<QList<int>>("answers");  // none: Esc
        QTest::addColumn<int>("order");           // -1: cancelled
        QTest::addColumn<QString>("asked");       // empty: no question
        const QString question =
            PupilOrderTexts::kQuestion.arg(2).arg(3) + PupilOrderTexts::kUntied.arg(1);
        QTest::newRow("no roster") << 0 << QList<int>{} << QList<int>{} << 0 << QString();
        QTest::newRow("a roster, nobody tied")
            << 2 << QList<int>{} << QList<int>{} << 0 << QString();
        QTest::newRow("a tie past the registered pupils")
            << 2 << QList<int>{4} << QList<int>{} << 0 << QString();
        QTest::newRow("keyed") << 2 << QList<int>{1, 3} << QList<int>{0} << 0 << question;
        QTest::newRow("class and number")
            << 2 << QList<int>{1, 3} << QList<int>{1} << 1 << question;
        QTest::newRow("cancelled") << 2 << QList<int>{1, 3} << QList<int>{2} << -1 << question;
        QTest::newRow("Esc") << 2 << QList<int>{1, 3} << QList<int>{} << -1 << question;
        QTest::newRow("every pupil tied") << 3 << QList<int>{1, 2, 3} << QList<int>{1} << 1
                                          << PupilOrderTexts::kQuestion.arg(3).arg(3);
    }
    void reportOrder_askedWhereTheRosterNamesAPupil() {
        QFETCH(int, rosterPupils);
        QFETCH(QList<int>, tiedPupils);
        QFETCH(QList<int>, answers);
        QFETCH(int, order);
        QFETCH(QString, asked);
        JobCompanion companion;
        QVector<RosterPupil> pupils;
        for (int i = 0; i < rosterPupils; ++i)
            pupils.append({"6", "1", i + 1, QStringLiteral("生徒%1").arg(i + 1), "", ""});
        companion.roster = Roster(pupils);
        for (int i = 0; i < tiedPupils.size(); ++i)
            companion.ties[tiedPupils[i]] = i % rosterPupils;
        FakePlatform platform;
        platform.choiceAnswers = answers;

        const std::optional<PupilOrderBy> chosen =
            choosePupilReportOrder(threePupils(), companion, platform);
        QCOMPARE(chosen ? int(*chosen) : -1, order);
        if (asked.isEmpty()) {
            QVERIFY(platform.choices.isEmpty());
            return;
        }
        QCOMPARE(platform.choices.size(), 1);
        const FakePlatform::Choice& choice = platform.choices[0];
        QCOMPARE(choice.text, asked);
        QCOMPARE(choice.answers, (QStringList{"入力順", "組・番号順", "キャンセル"}));
        QCOMPARE(choice.defaultAnswer, 0);  // Enter keeps the report as it has always been
        QCOMPARE(choice.escapeAnswer, 2);
    }
};

QTEST_GUILESS_MAIN(TestPupilNames)
#include "tst_pupil_names.moc"
