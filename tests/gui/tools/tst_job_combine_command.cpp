// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "app/run_start.h"
#include "domain/journal/journal_store.h"
#include "domain/roster/job_companion.h"
#include "gui/input/form1.h"
#include "support/job_window_fixture.h"
#include "support/journaled_run_fixture.h"
#include "support/window_helpers.h"

#include <memory>

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

// Combining jobs from the input screen's menu: what the screen shows after
// the operator's answers, and the next start restoring a combined run.
class TestJobCombineCommand : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;

    using Run = JournaledRun;

    static QStringList totalsShown(Form1& form) {
        QStringList shown;
        for (const char* name : {"tbNin", "tbDaiNanMai", "tbChuNanMai", "tbShouNanMai"})
            shown << control<QLabel>(&form, name)->text();
        return shown;
    }

private Q_SLOTS:
    void init() { folder = std::make_unique<QTemporaryDir>(); }
    void cleanup() { folder.reset(); }

    void mnuCombine_answeredNoThenYes_showsTheCombinedJobAndARestoreKeepsIt() {
        const JobState other = keyedJob();
        const QString path = folder->filePath(QStringLiteral("other.ptl"));
        QVERIFY(writeJob(other, path));
        // The other PC's job ties its second pupil to its roster.
        JobCompanion theirs;
        theirs.roster = Roster({{"6", "1", 4, "山田 太郎", "", ""}});
        theirs.ties = {{2, 0}};
        QVERIFY(saveJobCompanion(path, theirs).ok());
        JobState combined;
        {
            Run first(folder->path());
            Form1* keying = nullptr;
            QVERIFY(first.startKeying(keyedJob(), keying));
            Form1& form = *keying;
            const QStringList before = totalsShown(form);
            FakePlatform& platform = first.program.platform;
            platform.fileAnswers = {path, path};
            platform.questionAnswers = {false, true};

            control<QAction>(&form, "mnuCombine")->trigger();
            QCOMPARE(platform.questions.size(), 1);
            QCOMPARE(totalsShown(form), before);
            QCOMPARE(first.program.job.personCount, 3);

            control<QAction>(&form, "mnuCombine")->trigger();
            QCOMPARE(platform.questions.size(), 2);
            QVERIFY(platform.messages.isEmpty());
            const JobState& job = first.program.job;
            QCOMPARE(totalsShown(form),
                     QStringList({signedDisplay(6), signedDisplay(2 * other.largeTotalPrints),
                                  signedDisplay(2 * other.mediumTotalPrints),
                                  signedDisplay(2 * other.smallTotalPrints)}));
            QCOMPARE(job.grandTotalPrints, 2 * other.grandTotalPrints);
            // The history ends with the last pupil added.
            QString lastLabel;
            for (const DrawOp& op : form.engine().display().Pic1.ops)
                if (op.text.contains(u')'))
                    lastLabel = op.text.trimmed();
            QCOMPARE(lastLabel, QStringLiteral("(6)"));
            // Its tie came along, renumbered, with its roster.
            QCOMPARE(first.program.context.companion.ties, (std::map<int, int>{{5, 0}}));
            combined = job;
            // The run ends here without saving, as in a crash.
        }

        Run second(folder->path());
        second.program.platform.questionAnswers = {true};
        startRunWithJournal(second.program.context, second.store);
        Form1* form = second.program.windows.find<Form1>();
        QVERIFY(form && form->isVisible());
        verifySameState(second.program.job, combined);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(totalsShown(*form).first(), signedDisplay(6));
        QCOMPARE(second.program.context.companion.ties, (std::map<int, int>{{5, 0}}));
    }
};

QTEST_MAIN(TestJobCombineCommand)
#include "tst_job_combine_command.moc"
