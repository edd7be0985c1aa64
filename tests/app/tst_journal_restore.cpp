// SPDX-License-Identifier: MIT
#include "app/program.h"
#include "app/run_start.h"
#include "domain/entry/order_entry.h"
#include "domain/files/job_file_writer.h"
#include "domain/files/system_files.h"
#include "domain/journal/journal_store.h"
#include "gui/dialogs/frm_start.h"
#include "gui/input/form1.h"
#include "gui/input/frm_teisei.h"
#include "gui/run_journal.h"
#include "gui/setup/frm_film.h"
#include "support/fake_platform.h"
#include "support/job_checks.h"
#include "support/journal_day.h"
#include "support/journaled_run_fixture.h"
#include "support/window_helpers.h"

#include <atomic>
#include <cerrno>
#include <memory>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

// Runs that end without saving, and the next start that restores them:
// the input screen driven through its real controls, and a real run killed
// in the middle of a keyed day.
class TestJournalRestore : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;

    using Run = JournaledRun;

    static QStringList listItems(Form1& form) {
        QStringList items;
        auto* list = control<QListWidget>(&form, "List1");
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

private Q_SLOTS:
    void init() { folder = std::make_unique<QTemporaryDir>(); }
    void cleanup() { folder.reset(); }

    void restoredRun_isTheRunThatEnded_silently() {
        JobState before;
        QStringList listBefore;
        {
            Run first(folder->path());
            Form1& form = first.startKeyingTheDay();
            typeIntoFocus(QStringLiteral("12\r12\r301\r/150\r/"));
            // A correction adds photo 45 to pupil 1.
            QTest::mouseClick(control<QPushButton>(&form, "Command1"), Qt::LeftButton);
            auto* teisei = first.program.windows.find<frmTeisei>();
            QVERIFY(teisei && QTest::qWaitForWindowActive(teisei));
            control<QLineEdit>(teisei, "Text1")->setText(QStringLiteral("1"));
            control<QLineEdit>(teisei, "Text2")->setText(QStringLiteral("45"));
            QTest::mouseClick(control<QPushButton>(teisei, "Command2"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(teisei, "Command3"), Qt::LeftButton);
            QVERIFY(QTest::qWaitForWindowActive(&form));
            // A roster imported: the journal keeps the job's companion.
            first.program.context.companion.roster = Roster({{"6", "1", 1, "山田 太郎", "", ""}});
            recordCompanionInJournal(first.program.context);
            typeIntoFocus(QStringLiteral("77\r7"));  // an open pupil, a number typed
            QVERIFY(first.program.job.personRecords[1].contains(QStringLiteral(" 45 ")));
            before = first.program.job;
            listBefore = listItems(form);
            // The run ends here without saving, as in a crash.
        }

        Run second(folder->path());
        second.program.platform.questionAnswers = {true};
        startRunWithJournal(second.program.context, second.store);
        QCOMPARE(second.program.platform.questions.size(), 1);
        const QString question = second.program.platform.questions.first();
        QVERIFY(question.contains(QStringLiteral("桜ヶ丘小学校")));
        QVERIFY(
            question.contains(QStringLiteral("登録済みの人数：2人（ほかに入力中の人があります）")));
        // Nothing but the question: the replay is silent.
        QCOMPARE(second.program.platform.calls.size(), 1);

        Form1* form = second.program.windows.find<Form1>();
        QVERIFY(form && form->isVisible());
        verifySameState(second.program.job, before);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(listItems(*form), listBefore);
        QCOMPARE(control<QLabel>(form, "Label1")->text(), QStringLiteral("7"));
        QCOMPARE(second.program.context.companion.roster.pupils(),
                 (QVector<RosterPupil>{{"6", "1", 1, "山田 太郎", "", ""}}));

        // Keying goes on, into the same journal.
        QVERIFY(QTest::qWaitForWindowActive(form));
        typeIntoFocus(QStringLiteral("\r/"));
        QCOMPARE(second.program.job.personCount, 3);
        const std::optional<JournalContents> contents =
            readJournalFile(second.program.journal.path());
        QVERIFY(contents);
        verifySameState(replayJournal(*contents, QStringLiteral("/x")), second.program.job);
    }

    void no_setsTheJournalAsideAndStartsAfresh() {
        const auto setAside = [&] {
            return QDir(folder->path())
                .entryList({QStringLiteral("run-*.previous.journal")}, QDir::Files);
        };
        // Twice in a row: each journal set aside is kept.
        for (int time = 1; time <= 2; ++time) {
            {
                Run first(folder->path());
                first.startKeyingTheDay();
                typeIntoFocus(QStringLiteral("12\r/"));
            }
            Run second(folder->path());
            second.program.platform.questionAnswers = {false};
            startRunWithJournal(second.program.context, second.store);
            QCOMPARE(second.program.platform.questions.size(), 1);
            QVERIFY(second.program.windows.find<frmStart>());
            QVERIFY(!second.program.windows.find<Form1>());
            QCOMPARE(second.program.job.personCount, 0);
            QCOMPARE(setAside().size(), time);
            // Told once, with where the journal is kept.
            QCOMPARE(second.program.platform.messages.size(), 1);
            const QString told = second.program.platform.messages.first();
            const QStringList kept = setAside();
            QVERIFY(std::any_of(kept.cbegin(), kept.cend(), [&](const QString& name) {
                return told.contains(QDir::toNativeSeparators(folder->filePath(name)));
            }));
        }
        // A run can end with its own journal set aside the same way.
        {
            Run first(folder->path());
            first.startKeyingTheDay();
            typeIntoFocus(QStringLiteral("12\r/"));
            setAsideRunJournal(first.program.context);
            QVERIFY(!QFile::exists(first.program.journal.path()));
        }
        QCOMPARE(setAside().size(), 3);
        Run third(folder->path());
        startRunWithJournal(third.program.context, third.store);
        QVERIFY(third.program.platform.questions.isEmpty());
    }

    void damagedJournal_isCopiedBeforeTheRestoreAndTheOperatorIsTold() {
        {
            Run first(folder->path());
            first.startKeyingTheDay();
            typeIntoFocus(QStringLiteral("12\r/13\r/14\r/"));
        }
        const QString journal = folder->filePath(QStringLiteral("run-0.journal"));
        QFile file(journal);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        // A byte of the fourth entry from the end changed.
        bytes[bytes.size() - 45] = char(bytes[bytes.size() - 45] ^ 0x01);
        QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        file.close();

        Run second(folder->path());
        second.program.platform.questionAnswers = {true};
        startRunWithJournal(second.program.context, second.store);
        QCOMPARE(second.program.platform.questions.size(), 1);
        const QString question = second.program.platform.questions.first();
        QVERIFY(question.contains(QStringLiteral("壊れた箇所から後の入力（記録4件分）")));
        const QStringList copies =
            QDir(folder->path()).entryList({QStringLiteral("run-0.damaged-*")}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(question.contains(copies.first()));
        QFile copy(folder->filePath(copies.first()));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), bytes);
        QCOMPARE(second.program.job.personCount, 2);
        QVERIFY(QFileInfo(journal).size() < bytes.size());  // cut where the damage starts
    }

    void restoredRun_savesToTheJobFileItWasLoadedFrom() {
        const QString loaded = folder->filePath(QStringLiteral("loaded.ptl"));
        QVERIFY(saveJobFile(loaded, journalDayJob()).saved);
        {
            Run first(folder->path());
            first.program.journal.setPath(first.store.claim());
            FrmFilm& film = first.program.windows.get<FrmFilm>();
            film.loadJobFile(loaded);
            film.Command2_Click();
            Form1* form = first.program.windows.find<Form1>();
            QVERIFY(form && QTest::qWaitForWindowActive(form));
            typeIntoFocus(QStringLiteral("12\r/"));
        }
        Run second(folder->path());
        second.program.platform.questionAnswers = {true};
        startRunWithJournal(second.program.context, second.store);
        Form1* form = second.program.windows.find<Form1>();
        QVERIFY(form);
        QTest::mouseClick(control<QPushButton>(form, "Command2"), Qt::LeftButton);  // cancelled
        QCOMPARE(second.program.platform.fileDialogs.size(), 1);
        QCOMPARE(second.program.platform.fileDialogs.first().suggestedPath, loaded);

        // Another program saved that file meanwhile: the restored run does
        // not write over it.
        QFile file(loaded);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray theirs = file.readAll() + "\r\n";
        QVERIFY(file.write("\r\n") == 2);
        file.close();
        const auto fileBytes = [](const QString& path) {
            QFile read(path);
            return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
        };
        second.program.platform.fileAnswers = {loaded};
        QTest::mouseClick(control<QPushButton>(form, "Command2"), Qt::LeftButton);
        QCOMPARE(second.program.platform.choices.size(), 1);
        QCOMPARE(fileBytes(loaded), theirs);
    }

    void savedRun_leavesNothingToRestore() {
        {
            Run first(folder->path());
            Form1& form = first.startKeyingTheDay();
            typeIntoFocus(QStringLiteral("12\r/"));
            first.program.platform.fileAnswers = {folder->filePath(QStringLiteral("day.ptl"))};
            QTest::mouseClick(control<QPushButton>(&form, "Command2"), Qt::LeftButton);
            QVERIFY(QFile::exists(folder->filePath(QStringLiteral("day.ptl"))));
            form.close();  // the close box, with no pupil open
            QCOMPARE(first.program.platform.programEnds, 1);
            first.program.journal.finish();
        }
        Run second(folder->path());
        startRunWithJournal(second.program.context, second.store);
        QVERIFY(second.program.platform.questions.isEmpty());
    }

    // The journal's sync thread fails a close's sync after the key was
    // handled: the input screen warns all the same, with no key after it.
    void syncFailingAfterTheClose_theScreenWarnsWithoutAnotherKey() {
        std::atomic<bool> failing{false};
        JournalWriter journal([&failing](int descriptor) {
            return failing ? EIO : SystemFiles::syncData(descriptor);
        });
        Run run(folder->path());
        run.program.context.journal = &journal;
        journal.setPath(run.store.claim());
        run.program.job = journalDayJob();
        Form1* form = nullptr;
        QVERIFY(showActive(run.program, form));
        auto* warning = control<QLabel>(form, "lblJournalWarning");
        typeIntoFocus(QStringLiteral("12\r/"));
        journal.waitForDisk();
        QVERIFY(!warning->isVisible());
        failing = true;
        typeIntoFocus(QStringLiteral("13\r/"));
        QTRY_VERIFY(warning->isVisible());
        QVERIFY(journal.failed());
        QVERIFY(run.program.platform.messages.isEmpty());
    }

    void killedRun_isRestoredToWhatWasKeyed() {
        QRandomGenerator random(2026);
        for (int round = 0; round < 6; ++round) {
            QTemporaryDir journals;
            const quint32 seed = 100 + round;
            const QString keys = journalDayKeys(seed);
            QProcess child;
            child.start(QStringLiteral(JOURNAL_DAY_CHILD),
                        {journals.path(), QString::number(seed)});
            QVERIFY(child.waitForStarted());
            // Killed after a random number of keys.
            const int killAfter = 1 + random.bounded(int(keys.size()) - 1);
            QByteArray printed;
            int handled = 0;
            while (handled < killAfter && child.waitForReadyRead(10000)) {
                printed += child.readAllStandardOutput();
                const QList<QByteArray> lines = printed.trimmed().split('\n');
                handled = lines.last().toInt();
            }
            child.kill();
            QVERIFY(child.waitForFinished());
            // What was printed after the last look and before the kill.
            printed += child.readAllStandardOutput();
            handled = printed.trimmed().split('\n').last().toInt();
            QVERIFY2(handled >= killAfter, qPrintable(QString::fromLocal8Bit(printed.right(80))));

            Run restart(journals.path());
            restart.program.platform.questionAnswers = {true};
            startRunWithJournal(restart.program.context, restart.store);
            QCOMPARE(restart.program.platform.questions.size(), 1);
            // Every key handled is there; the one being handled when the run
            // was killed may be there too.
            const std::optional<JournalContents> journal =
                readJournalFile(restart.program.journal.path());
            QVERIFY(journal);
            int keysInJournal = 0;
            for (const JournalEntry& entry : journal->entries)
                keysInJournal += entry.kind == JournalEntry::Kind::KeyPress;
            QVERIFY2(keysInJournal >= handled && keysInJournal <= handled + 1,
                     qPrintable(QStringLiteral("%1 keys in the journal, %2 handled")
                                    .arg(keysInJournal)
                                    .arg(handled)));
            verifySameState(restart.program.job, keyedStraight(keys.left(keysInJournal)));
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_MAIN(TestJournalRestore)
#include "tst_journal_restore.moc"
