// SPDX-License-Identifier: MIT
// A run whose journal fails under a file size limit, which only a POSIX
// system sets for a process: the keys go on and the next start is told.
#include "app/program.h"
#include "app/run_start.h"
#include "gui/input/form1.h"
#include "gui/run_journal.h"
#include "support/job_checks.h"
#include "support/journal_day.h"
#include "support/journaled_run_fixture.h"
#include "support/posix_faults_fixture.h"
#include "support/window_helpers.h"

#include <memory>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestJournalRestorePosix : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;

    using Run = JournaledRun;

private Q_SLOTS:
    void init() { folder = std::make_unique<QTemporaryDir>(); }
    void cleanup() { folder.reset(); }

    // The journal's writes fail past a file size limit, as on a full disk.
    void failingJournal_keysGoOnAndTheScreenWarnsWithoutABox() {
        const QString keys = QStringLiteral("12\r/302\r303\r/304\r305\r/");
        for (const bool savedAfterwards : {true, false}) {
            folder = std::make_unique<QTemporaryDir>();
            {
                Run first(folder->path());
                Form1& form = first.startKeyingTheDay();
                auto* warning = control<QLabel>(&form, "lblJournalWarning");
                typeIntoFocus(keys.left(4));
                QVERIFY(!warning->isVisible());
                {
                    FileSizeLimit limit(1000);
                    QVERIFY(limit.set());
                    typeIntoFocus(keys.mid(4));
                    verifySameState(first.program.job, keyedStraight(keys));
                    QCOMPARE(first.program.job.personCount, 3);
                    QVERIFY(first.program.platform.messages.isEmpty());
                    QVERIFY(first.program.platform.questions.isEmpty());
                    QVERIFY(warning->isVisible());
                    QVERIFY(QApplication::focusWidget() != warning);
                }
                if (!savedAfterwards)
                    continue;  // the run ends here, as in a crash
                // Room again: the save holds everything, the warning goes.
                first.program.platform.fileAnswers = {folder->filePath(QStringLiteral("d.ptl"))};
                QTest::mouseClick(control<QPushButton>(&form, "Command2"), Qt::LeftButton);
                QVERIFY(QFile::exists(folder->filePath(QStringLiteral("d.ptl"))));
                QVERIFY(!warning->isVisible());
                form.close();
                first.program.journal.finish();
            }
            Run second(folder->path());
            second.program.platform.questionAnswers = {true};
            startRunWithJournal(second.program.context, second.store);
            if (savedAfterwards) {
                QVERIFY(second.program.platform.questions.isEmpty());
            } else {
                QCOMPARE(second.program.platform.questions.size(), 1);
                QVERIFY(second.program.platform.questions.first().contains(
                    RunStartTexts::kIncompleteNote.trimmed()));
            }
        }
    }
};

QTEST_MAIN(TestJournalRestorePosix)
#include "tst_journal_restore_posix.moc"
