// SPDX-License-Identifier: MIT
// The journal's faults that only a POSIX system makes happen: a file size
// limit failing its writes, its folder removed while its file is open, and
// the rights its folder and files are given.
#include "domain/files/job_file_writer.h"
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

    // Judged by the job file's content, never its times: set aside (and
    // described) only when the file holds every pupil of the journal.
    void incompleteJournal_isSetAsideOnlyWhenItsJobFileHoldsItsPupils_data() {
        QTest::addColumn<QString>("later");
        QTest::addColumn<bool>("setAside");
        QTest::newRow("file touched") << "touch" << false;
        QTest::newRow("saved with the journal's pupils") << "ours" << true;
        QTest::newRow("saved by another PC") << "theirs" << false;
    }
    void incompleteJournal_isSetAsideOnlyWhenItsJobFileHoldsItsPupils() {
        QFETCH(QString, later);
        QFETCH(bool, setAside);
        QTemporaryDir folder;
        const QString jobFile = folder.filePath(QStringLiteral("day.ptl"));
        JobState keyed;
        {
            JournaledDay day(folder.filePath(QStringLiteral("run-0.journal")));
            const JobFileSaveResult loaded = saveJobFile(jobFile, day.job);
            QVERIFY(loaded.saved);
            day.writer.noteJobFile(jobFile, loaded.fileDigest);
            day.keys(QStringLiteral("12\r/"));
            FileSizeLimit limit(1000);
            day.keys(QStringLiteral("13\r/"));
            QVERIFY(day.writer.failed());
            keyed = day.job;
        }  // the run ends here, as in a crash
        if (later == "touch") {
            QFile file(jobFile);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                     QFileDevice::FileModificationTime));
        } else if (later == "ours") {
            QVERIFY(saveJobFile(jobFile, keyed).saved);
        } else {
            JobState theirs = makeJob();
            theirs.customerName = keyed.customerName;
            theirs.personRecords[1] = QStringLiteral("(1) 14 \\.800 ");
            theirs.printCounts[14] = 1;
            theirs.personCount = theirs.lastRecordSlot = 1;
            QVERIFY(saveJobFile(jobFile, theirs).saved);
        }
        JournalStore store(folder.path());
        const JournalStore::Scan scan = store.scan();
        QCOMPARE(bool(scan.restorable), !setAside);
        QCOMPARE(scan.overtaken.size(), setAside ? 1 : 0);
        if (setAside) {
            const JournalStore::SetAside& aside = scan.overtaken.first();
            QVERIFY(QFile::exists(aside.path));
            QCOMPARE(aside.jobFilePath, jobFile);
            QCOMPARE(aside.customer, keyed.customerName.toText());
            QVERIFY(aside.pupils >= 1);
        } else {
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
