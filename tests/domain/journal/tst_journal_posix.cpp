// SPDX-License-Identifier: MIT
// The journal's faults that only a POSIX system makes happen: a file size
// limit failing its writes, its folder removed while its file is open, and
// the rights its folder and files are given.
#include "domain/journal/journal.h"
#include "domain/journal/journal_store.h"
#include "support/job_builder.h"
#include "support/job_checks.h"
#include "support/journal_day.h"
#include "support/posix_faults_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestJournalPosix : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("run-0.journal")); }

    static bool writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    static int modeOf(const QString& path) {
        struct stat status {};
        ::stat(QFile::encodeName(path).constData(), &status);
        return int(status.st_mode & 0777);
    }

private Q_SLOTS:
    // A file size limit makes every write past the journal's size fail, as
    // a full disk does.
    void writingFails_theJournalIsMarkedAndStartsAgainAtTheNextClose() {
        JournaledDay day(path());
        day.keys(QStringLiteral("12\r/"));
        {
            FileSizeLimit limit(1000);  // well below the journal's size
            QVERIFY(limit.set());
            day.keys(QStringLiteral("302\r303\r/304\r"));
            QVERIFY(day.writer.failed());
            QVERIFY(day.writer.atRisk());
            const std::optional<JournalContents> stopped = readJournalFile(path());
            QVERIFY(stopped);
            QVERIFY(stopped->incomplete);
            QVERIFY(stopped->unsaved);
            day.keys(QStringLiteral("305\r/"));  // still full: no fresh start
            QVERIFY(day.writer.failed());
        }
        QCOMPARE(day.job.personCount, 3);
        day.keys(QStringLiteral("306\r"));  // not a close: nothing tried yet
        QVERIFY(day.writer.failed());
        day.keys(QStringLiteral("/"));
        QVERIFY(!day.writer.failed());
        QVERIFY(!QFile::exists(incompleteMarkPath(path())));
        const std::optional<JournalContents> again = readJournalFile(path());
        QVERIFY(again);
        QVERIFY(!again->incomplete);
        QVERIFY(again->unsaved);
        verifySameState(replayJournal(*again, QStringLiteral("/x")), day.job);
    }

    void writingFailed_aCompleteSaveLeavesNothingAtTheEnd_elseTheJournalStaysMarked() {
        for (const bool saved : {true, false}) {
            JournaledDay day(path());
            day.keys(QStringLiteral("12\r/"));
            FileSizeLimit limit(1000);  // well below the journal's size
            day.keys(QStringLiteral("302\r303\r/"));
            QVERIFY(day.writer.failed());
            if (saved)
                day.writer.markSaved(true);
            QCOMPARE(day.writer.atRisk(), !saved);
            day.writer.finish();
            QCOMPARE(QFile::exists(path()), !saved);
            QCOMPARE(QFile::exists(incompleteMarkPath(path())), !saved);
        }
    }

    void folderRemoved_isNoticedAtTheNextCloseAndTheJournalWrittenAfresh() {
        QTemporaryDir parent;
        const QString folder = parent.filePath(QStringLiteral("journal"));
        QVERIFY(makePrivateFolder(folder));
        const QString journal = QDir(folder).filePath(QStringLiteral("run-0.journal"));
        JournaledDay day(journal);
        day.keys(QStringLiteral("12\r/"));
        QVERIFY(QDir(folder).removeRecursively());
        day.keys(QStringLiteral("13\r"));
        QVERIFY(!QFile::exists(journal));  // written to a file no folder holds
        day.keys(QStringLiteral("/"));
        QVERIFY(!day.writer.failed());
        QCOMPARE(modeOf(folder), 0700);
        const std::optional<JournalContents> contents = readJournalFile(journal);
        QVERIFY(contents);
        verifySameState(replayJournal(*contents, QStringLiteral("/x")), day.job);
        QCOMPARE(day.job.personCount, 2);
    }

    void incompleteJournal_isSetAsideWhenItsJobFileWasSavedLater_elseOfferedAsIncomplete() {
        for (const bool savedLater : {true, false}) {
            QTemporaryDir folder;
            const QString jobFile = folder.filePath(QStringLiteral("day.ptl"));
            {
                JournaledDay day(folder.filePath(QStringLiteral("run-0.journal")));
                day.writer.noteJobFile(jobFile);
                day.keys(QStringLiteral("12\r/"));
                FileSizeLimit limit(1000);
                day.keys(QStringLiteral("13\r/"));
                QVERIFY(day.writer.failed());
            }  // the run ends here, as in a crash
            QTest::qWait(20);
            if (savedLater)
                QVERIFY(writeFile(jobFile, "saved after the journal stopped"));
            JournalStore store(folder.path());
            const JournalStore::Scan scan = store.scan();
            QCOMPARE(bool(scan.restorable), !savedLater);
            QCOMPARE(scan.overtaken.size(), savedLater ? 1 : 0);
            if (!savedLater)
                QVERIFY(scan.restorable->contents.incomplete);
        }
    }

    void journalsAreTheUsersAlone() {
        QTemporaryDir parent;
        const QString fresh = parent.filePath(QStringLiteral("fresh"));
        const QString older = parent.filePath(QStringLiteral("older"));
        QVERIFY(QDir().mkdir(older));
        QVERIFY(::chmod(QFile::encodeName(older).constData(), 0755) == 0);
        for (const QString& folder : {fresh, older}) {
            JournalStore store(folder);
            QCOMPARE(modeOf(folder), 0700);
            JournalWriter writer;
            writer.setPath(store.claim());
            QVERIFY(writer.begin(makeJob()));
            QCOMPARE(modeOf(writer.path()), 0600);
        }
    }
};

QTEST_GUILESS_MAIN(TestJournalPosix)
#include "tst_journal_posix.moc"
