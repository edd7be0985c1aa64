// SPDX-License-Identifier: MIT
// The order question of the per-pupil report: asked only where the roster
// names a registered pupil.

#include "domain/tools/pupil_names.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <QtTest>

class TestPupilNames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reportOrder_askedWhereTheRosterNamesAPupil_data() {
        QTest::addColumn<int>("rosterPupils");
        QTest::addColumn<QList<int>>("tiedPupils");  // of the 3 registered ones
        QTest::addColumn<QList<int>>("answers");     // none: Esc
        QTest::addColumn<int>("order");              // -1: nothing printed
        QTest::addColumn<QString>("asked");          // empty: no question
        using namespace PupilOrderTexts;
        const QString question = kQuestion.arg(2).arg(3) + kUntied.arg(1);
        QTest::newRow("no roster") << 0 << QList<int>{} << QList<int>{} << 0 << QString();
        QTest::newRow("nobody tied") << 2 << QList<int>{} << QList<int>{} << 0 << QString();
        QTest::newRow("tied past the pupils")
            << 2 << QList<int>{4} << QList<int>{} << 0 << QString();
        QTest::newRow("keyed") << 2 << QList<int>{1, 3} << QList<int>{0} << 0 << question;
        QTest::newRow("class and number")
            << 2 << QList<int>{1, 3} << QList<int>{1} << 1 << question;
        QTest::newRow("Esc") << 2 << QList<int>{1, 3} << QList<int>{} << -1 << question;
        QTest::newRow("all tied") << 3 << QList<int>{1, 2, 3} << QList<int>{1} << 1
                                  << kQuestion.arg(3).arg(3);
    }
    void reportOrder_askedWhereTheRosterNamesAPupil() {
        QFETCH(int, rosterPupils);
        QFETCH(QList<int>, tiedPupils);
        QFETCH(QList<int>, answers);
        QFETCH(int, order);
        QFETCH(QString, asked);
        JobState job = makeJob();
        for (int pupil = 1; pupil <= 3; ++pupil)
            job.personRecords[pupil] = QStringLiteral("(%1) 5 \\.800 ").arg(pupil);
        job.personCount = job.lastRecordSlot = 3;
        JobCompanion companion;
        QVector<RosterPupil> pupils;
        for (int i = 1; i <= rosterPupils; ++i)
            pupils.append({"6", "1", i, QStringLiteral("生徒%1").arg(i), "", ""});
        companion.roster = Roster(pupils);
        for (int i = 0; i < tiedPupils.size(); ++i)
            companion.ties[tiedPupils[i]] = i % rosterPupils;
        FakePlatform platform;
        platform.choiceAnswers = answers;

        const std::optional<PupilOrderBy> chosen = choosePupilReportOrder(job, companion, platform);
        QCOMPARE(chosen ? int(*chosen) : -1, order);
        QCOMPARE(platform.choices.size(), asked.isEmpty() ? 0 : 1);
        if (asked.isEmpty())
            return;
        const FakePlatform::Choice& choice = platform.choices[0];
        QCOMPARE(choice.text, asked);
        QCOMPARE(choice.answers, (QStringList{"入力順", "組・番号順", "キャンセル"}));
        QCOMPARE(choice.defaultAnswer, 0);  // Enter: the report as it has always been
        QCOMPARE(choice.escapeAnswer, 2);
    }
};

QTEST_GUILESS_MAIN(TestPupilNames)
#include "tst_pupil_names.moc"
