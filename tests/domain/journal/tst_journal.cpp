// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "domain/files/system_files.h"
#include "domain/journal/journal.h"
#include "domain/journal/journal_store.h"
#include "domain/journal/journal_sync.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"
#include "support/journal_day.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtEndian>
#include <QtTest>

// A sync for the journal's sync thread that notes how much the test had
// written when it began, and waits at a gate the test opens and shuts;
// the real sync follows.
struct GatedSync {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;
    int written = 0;
    std::vector<int> began;

    JournalSync::SyncCall call() {
        return [this](int descriptor) {
            std::unique_lock lock(mutex);
            began.push_back(written);
            changed.notify_all();
            changed.wait(lock, [this] { return open; });
            return SystemFiles::syncData(descriptor);
        };
    }
    void set(bool isOpen) {
        const std::lock_guard lock(mutex);
        open = isOpen;
        changed.notify_all();
    }
    void write() {
        const std::lock_guard lock(mutex);
        ++written;
    }
    void awaitSyncs(std::size_t count) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return began.size() >= count; });
    }
};

class TestJournal : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("run-0.journal")); }

    static QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static std::optional<JournalContents> read(const QByteArray& bytes, QString* why = nullptr) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return readJournal(buffer, why);
    }
    static bool writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // A whole frame as the journal writes it: length, kind and data, CRC-32.
    static QByteArray frame(quint8 kind, const QByteArray& data) {
        QByteArray body = char(kind) + data;
        quint32 c = 0xFFFFFFFFu;
        for (const char byte : body) {
            c ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        QByteArray bytes(4, Qt::Uninitialized);
        qToLittleEndian<quint32>(quint32(body.size()), bytes.data());
        QByteArray crc(4, Qt::Uninitialized);
        qToLittleEndian<quint32>(c ^ 0xFFFFFFFFu, crc.data());
        return bytes + body + crc;
    }
    // Where each frame of a journal starts.
    static QVector<qsizetype> frameStarts(const QByteArray& bytes) {
        QVector<qsizetype> starts;
        for (qsizetype at = 8; at + 4 <= bytes.size();
             at += 8 + qFromLittleEndian<quint32>(bytes.constData() + at))
            starts << at;
        return starts;
    }

private Q_SLOTS:
    void replay_rebuildsTheKeyedDayFieldByField() {
        JournaledDay day(path());
        QRandomGenerator random(5);
        static const QStringList junk = {"0\r", "-7\r", "2-3\r", "\b", "99999\r", "12\b3\r"};
        for (int step = 0; step < 3000; ++step) {
            const int roll = random.bounded(100);
            if (roll < 60)
                day.keys(QString::number(1 + random.bounded(999)) + u'\r');
            else if (roll < 66)
                day.keys(QStringLiteral("/"));
            else if (roll < 72)
                day.apply({JournalEntry::Kind::CopyCount, 1 + random.bounded(4)});
            else if (roll < 76)
                day.keys(junk[random.bounded(junk.size())]);
            else if (roll < 80)
                day.apply({JournalEntry::Kind::KeyDown, random.bounded(2) ? 38 : 40});
            else if (roll < 84)
                day.apply({JournalEntry::Kind::Activate});
            else if (roll < 90 && day.job.personCount > 0) {
                const QString pupil = QString::number(1 + random.bounded(int(day.job.personCount)));
                const QString photo = QString::number(1 + random.bounded(999));
                day.apply({random.bounded(2) ? JournalEntry::Kind::CorrectionAdd
                                             : JournalEntry::Kind::CorrectionDelete,
                           pupil, photo});
            } else if (roll < 92) {
                day.writer.markSaved(day.job.pendingEntry.isEmpty());
            } else if (roll < 93) {
                day.writer.noteJobFile(QStringLiteral("/day/%1.ptl").arg(step));
            } else {
                day.keys(QString::number(1 + random.bounded(9)));  // typed, not entered
            }
        }
        day.keys(QStringLiteral("\b\b\b\b\b45\r"));  // an open pupil at the end
        QVERIFY(!day.writer.failed());

        const std::optional<JournalContents> contents = readJournalFile(path());
        QVERIFY(contents);
        QVERIFY(!contents->cut);
        QVERIFY(contents->unsaved);
        const JobState rebuilt = replayJournal(*contents, QStringLiteral("/x"));
        verifySameState(rebuilt, day.job);
        QVERIFY(!rebuilt.pendingEntry.isEmpty());
        QVERIFY(rebuilt.personCount > 100);
        QCOMPARE(contents->jobFilePath, day.writer.jobFile());
    }

    void cutInsideTheLastEntry_replaysUpToTheEntryBefore() {
        JournaledDay day(path());
        day.keys(QStringLiteral("12\r13\r/250\r"));
        const JobState beforeLast = day.job;
        day.apply({JournalEntry::Kind::CorrectionAdd, QStringLiteral("1"), QStringLiteral("45")});
        const QByteArray whole = fileBytes(path());
        // Cut one byte short, the journal ends where the last entry starts.
        const qsizetype lastStart = read(whole.left(whole.size() - 1))->wholeSize;
        QCOMPARE(read(whole.left(lastStart))->entries.size(), read(whole)->entries.size() - 1);

        for (qsizetype size = lastStart; size < whole.size(); ++size) {
            const std::optional<JournalContents> contents = read(whole.left(size));
            QVERIFY2(contents, qPrintable(QString::number(size)));
            QCOMPARE(contents->cut, size != lastStart);
            QCOMPARE(contents->wholeSize, lastStart);
            verifySameState(replayJournal(*contents, QStringLiteral("/x")), beforeLast);
            if (QTest::currentTestFailed())
                return;
        }
        // A byte of the last entry changed (a sector written only in part).
        QByteArray flipped = whole;
        flipped[whole.size() - 6] = char(flipped[whole.size() - 6] ^ 0x40);
        QCOMPARE(read(flipped)->entries.size(), read(whole)->entries.size() - 1);
    }

    void notAJournalOrDamagedStart_isRefusedWithAReason_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QByteArray() << JournalTexts::kNotAJournal;
        QTest::newRow("job file") << QByteArray("\"a\",\"b\"\r\n") << JournalTexts::kNotAJournal;
        QTest::newRow("start cut") << QByteArray("PICTORJ1\x10\x00") << JournalTexts::kStartDamaged;
        QTest::newRow("no start") << QByteArray("PICTORJ1") << JournalTexts::kStartDamaged;
    }
    void notAJournalOrDamagedStart_isRefusedWithAReason() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QString why;
        QVERIFY(!readJournal(buffer, &why));
        QCOMPARE(why, reason);
    }

    void damageInTheMiddle_isToldFromACutAtTheEnd_data() {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("a byte flipped") << 0 << true;
        QTest::newRow("its length changed") << 1 << true;
        QTest::newRow("an unknown kind") << 2 << true;
        QTest::newRow("an unreadable combined job") << 3 << true;
        QTest::newRow("the last entry cut") << 4 << false;
    }
    void damageInTheMiddle_isToldFromACutAtTheEnd() {
        QFETCH(int, change);
        QFETCH(bool, damaged);
        {
            JournaledDay day(path());
            day.keys(QStringLiteral("12\r13\r/250\r/14\r/"));
        }
        QByteArray bytes = fileBytes(path());
        const QVector<qsizetype> starts = frameStarts(bytes);
        const int bad = 4;  // the fourth entry (the start is frame 0)
        const qsizetype at = starts[bad];
        const qsizetype size = starts[bad + 1] - at;
        switch (change) {
            case 0:
                bytes[at + 6] = char(bytes[at + 6] ^ 0x10);
                break;
            case 1:
                bytes[at + 2] = char(0x7F);
                break;
            case 2:
                bytes.replace(at, size, frame(99, bytes.mid(at + 5, size - 9)));
                break;
            case 3:
                bytes.replace(
                    at, size,
                    frame(quint8(JournalEntry::Kind::Combine), QByteArray("\0\0\0\0garbage", 11)));
                break;
            case 4:
                bytes.chop(3);
                break;
        }
        const std::optional<JournalContents> contents = read(bytes);
        QVERIFY(contents);
        QCOMPARE(contents->damaged, damaged);
        QCOMPARE(contents->cut, !damaged);
        if (damaged) {
            QCOMPARE(contents->entries.size(), bad - 1);
            QCOMPARE(contents->framesAfterDamage, int(starts.size()) - bad - 1);
            QVERIFY(contents->unsaved);
        }
    }

    void jobTheLoaderRefuses_makesTheJournalUnreadable_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("combined");
        for (const bool combined : {false, true}) {
            const char* where = combined ? "combined " : "start ";
            QTest::addRow("%spersons -5", where) << 0 << combined;
            QTest::addRow("%spersons 2.5", where) << 1 << combined;
            QTest::addRow("%smode 7", where) << 2 << combined;
            QTest::addRow("%snegative count", where) << 3 << combined;
        }
    }
    void jobTheLoaderRefuses_makesTheJournalUnreadable() {
        QFETCH(int, fault);
        QFETCH(bool, combined);
        JobState bad = makeJob();
        switch (fault) {
            case 0:
                bad.personCount = bad.lastRecordSlot = -5;
                break;
            case 1:
                bad.personCount = bad.lastRecordSlot = 2.5;
                break;
            case 2:
                bad.largeMode = NumberOrText(Number(7));
                break;
            case 3:
                bad.printCounts[12] = -3;
                break;
        }
        QVERIFY(jobLoadsAsJobFile(makeJob()));
        QVERIFY(!jobLoadsAsJobFile(bad));
        JournalWriter writer;
        writer.setPath(path());
        writer.begin(combined ? makeJob() : bad);
        if (combined)
            writer.record(JournalEntry::combine(bad));
        QString why;
        QVERIFY(!readJournalFile(path(), &why));
        QVERIFY2(why.startsWith(JournalTexts::kJobRefused.left(10)), qPrintable(why));
    }

    // The job's companion (its roster and ties) as last recorded comes back
    // from the journal, also once the journal has been started again or
    // resumed by the next run.
    void companion_keptThroughARestartAndAResume() {
        std::optional<JournalContents> contents;
        {
            JournalWriter writer;
            writer.setPath(path());
            writer.recordCompanion("{\"roster\": 1}");  // before the start: kept for it
            writer.begin(makeJob());
            QCOMPARE(readJournalFile(path())->companion, QByteArray("{\"roster\": 1}"));
            writer.recordCompanion("{\"roster\": 2}");
            writer.begin(makeJob());  // started again, as after a failure
            contents = readJournalFile(path());
            QCOMPARE(contents->companion, QByteArray("{\"roster\": 2}"));
        }
        JournalWriter next;
        next.setPath(path());
        QVERIFY(next.resume(*contents));
        next.begin(makeJob());
        QCOMPARE(readJournalFile(path())->companion, QByteArray("{\"roster\": 2}"));
    }

    // A run killed while an imported roster was being written: the roster
    // before it comes back whole, with the tie made before, and nothing of
    // the half-written one.
    void companion_cutShortByAKill_leavesTheOneBefore() {
        {
            JournalWriter writer;
            writer.setPath(path());
            writer.begin(makeJob());
            writer.recordCompanion("{\"roster\": 1}");
            writer.record(JournalEntry::tie(std::nullopt, 4));
            writer.recordCompanion(QByteArray(4000, 'x'));
        }
        QFile file(path());
        QVERIFY(file.resize(file.size() - 1000));
        const std::optional<JournalContents> contents = readJournalFile(path());
        QVERIFY(contents && contents->cut);
        QCOMPARE(contents->companion, QByteArray("{\"roster\": 1}"));
        QCOMPARE(contents->entries.last(), JournalEntry::tie(std::nullopt, 4));
        QCOMPARE(contents->entries.last().tiedRosterPupil(), 4);
    }

    void syncs_coverWhatWasWrittenBeforeThem_inOrder() {
        GatedSync gated;
        QTemporaryFile file;
        QVERIFY(file.open());
        JournalSync sync(gated.call());
        sync.setFile(int(file.handle()));
        gated.set(false);
        gated.write();
        sync.request();
        gated.awaitSyncs(1);  // held at the gate
        gated.write();
        sync.request();
        gated.write();
        sync.request();
        gated.set(true);
        sync.wait();
        // The two asked for meanwhile went together, after the first.
        QCOMPARE(gated.began, (std::vector<int>{1, 3}));
    }

    // A sync that fails after its close returned is handled as a failed
    // close was: marked, written afresh at once, told without another key.
    void failedSync_writesTheJournalAfreshAndIsTold_data() {
        QTest::addColumn<int>("failures");
        QTest::newRow("once: written afresh, whole") << 1;
        QTest::newRow("on and on: the journal stays marked") << 1000;
    }
    void failedSync_writesTheJournalAfreshAndIsTold() {
        QFETCH(int, failures);
        std::atomic<int> failing{0};
        JournaledDay day(path(), [&failing](int descriptor) {
            return failing.fetch_sub(1) > 0 ? EIO : SystemFiles::syncData(descriptor);
        });
        int told = 0;
        day.writer.setOnLateFailure([&] { ++told; });
        day.keys(QStringLiteral("12\r/"));
        day.writer.waitForDisk();
        failing = failures;
        day.keys(QStringLiteral("13\r/"));
        QTRY_COMPARE(told, 1);
        const bool stays = failures > 1;
        QCOMPARE(day.writer.failed(), stays);
        QCOMPARE(day.writer.atRisk(), stays);
        QCOMPARE(QFile::exists(incompleteMarkPath(path())), stays);
        const std::optional<JournalContents> contents = readJournalFile(path());
        QVERIFY(contents);
        if (!stays)
            verifySameState(replayJournal(*contents, QStringLiteral("/x")), day.job);
    }

    // Ending the run waits for the sync the last close asked for, and the
    // journal holds every entry, in order.
    void endingTheRun_waitsForTheSyncThread_data() {
        QTest::addColumn<bool>("setAside");
        QTest::newRow("finish") << false;
        QTest::newRow("set aside") << true;
    }
    void endingTheRun_waitsForTheSyncThread() {
        QFETCH(bool, setAside);
        GatedSync gated;
        JournaledDay day(path(), gated.call());
        day.keys(QStringLiteral("12\r/301\r"));
        day.writer.waitForDisk();
        gated.set(false);
        day.keys(QStringLiteral("/"));
        std::atomic<bool> opened{false};
        std::thread opener([&] {
            gated.awaitSyncs(3);  // the start, the first close, this one
            QThread::msleep(50);
            opened = true;
            gated.set(true);
        });
        QString kept = path();
        if (setAside)
            kept = day.writer.setAside();
        else
            day.writer.finish();
        const bool waited = opened;
        opener.join();
        QVERIFY(waited);
        const std::optional<JournalContents> contents = readJournalFile(kept);
        QVERIFY(contents);
        verifySameState(replayJournal(*contents, QStringLiteral("/x")), day.job);
    }

    void finish_removesASavedJournalAndKeepsAnUnsavedOne() {
        {
            JournaledDay day(path());
            day.keys(QStringLiteral("12\r/"));
            day.writer.markSaved(true);
            day.apply({JournalEntry::Kind::Activate});  // no change after the save
            QVERIFY(!day.writer.hasUnsavedChanges());
            day.writer.finish();
            QVERIFY(!QFile::exists(path()));
        }
        {
            JournaledDay day(path());
            day.keys(QStringLiteral("12\r/"));
            day.writer.markSaved(true);
            day.keys(QStringLiteral("13\r"));
            day.writer.markSaved(false);  // the open pupil is not in the file
            QVERIFY(day.writer.hasUnsavedChanges());
            day.writer.finish();
            QVERIFY(QFile::exists(path()));
            QVERIFY(readJournalFile(path())->unsaved);
        }
    }

    void store_offersTheUnsavedJournalAndKeepsRunsApart() {
        QTemporaryDir folder;
        const auto leave = [&](int slot, bool saved) {
            const JobState job = makeJob();
            JournalWriter writer;
            writer.setPath(folder.filePath(QStringLiteral("run-%1.journal").arg(slot)));
            writer.begin(job);
            writer.record({JournalEntry::Kind::KeyPress, '5'});
            if (saved)
                writer.markSaved(true);
        };
        leave(0, true);
        leave(1, false);
        QFile damaged(folder.filePath(QStringLiteral("run-2.journal")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("PICTORJ1garbage");
        damaged.close();

        JournalStore first(folder.path());
        const JournalStore::Scan scan = first.scan();
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("run-0.journal"))));  // all saved
        QCOMPARE(scan.unreadable.size(), 1);
        QVERIFY(QFile::exists(scan.unreadable.first()));  // kept, under another name
        QVERIFY(scan.restorable);
        QCOMPARE(scan.restorable->slot, 1);

        // A second program running meanwhile neither sees the offered journal
        // nor gets the first one's slot.
        JournalStore second(folder.path());
        QVERIFY(!second.scan().restorable);
        const QString mine = first.claim(scan.restorable->slot);
        const QString theirs = second.claim();
        QVERIFY(!theirs.isEmpty());
        QVERIFY(mine != theirs);

        QVERIFY(first.setAside(*scan.restorable));
        QVERIFY(!QFile::exists(mine));
        QCOMPARE(QDir(folder.path())
                     .entryList({QStringLiteral("run-1.*.previous.journal")}, QDir::Files)
                     .size(),
                 1);
    }

    void setAside_keepsEveryJournalUnderItsOwnDatedName_andDropsThoseOverAMonthOld() {
        QTemporaryDir folder;
        const QDateTime now = QDateTime::currentDateTime();
        const QString journal = folder.filePath(QStringLiteral("run-3.journal"));
        QStringList aside;
        for (int i = 0; i < 3; ++i) {  // three times within one second
            QVERIFY(writeFile(journal, "PICTORJ1"));
            aside << setJournalAside(journal, now);
        }
        QCOMPARE(QSet<QString>(aside.begin(), aside.end()).size(), 3);
        const QString stamp = now.toString(QStringLiteral("yyyy-MM-ddTHH-mm-ss"));
        QCOMPARE(QFileInfo(aside[0]).fileName(), "run-3." + stamp + ".previous.journal");
        QCOMPARE(QFileInfo(aside[1]).fileName(), "run-3." + stamp + "-2.previous.journal");

        // The run's own journal, set aside at its end.
        JournalWriter writer;
        writer.setPath(journal);
        writer.begin(makeJob());
        writer.record({JournalEntry::Kind::KeyPress, '5'});
        const QString own = writer.setAside();
        QVERIFY(own.endsWith(QStringLiteral(".previous.journal")));
        QVERIFY(readJournalFile(own));
        QVERIFY(!QFile::exists(journal));

        const auto dated = [&](int daysAgo) {
            const QString name = now.addDays(-daysAgo).toString(
                QStringLiteral("'run-0.'yyyy-MM-ddTHH-mm-ss'.previous.journal'"));
            writeFile(folder.filePath(name), "PICTORJ1");
            return folder.filePath(name);
        };
        const QString month = dated(31);
        const QString weeks = dated(29);
        const QString undated = folder.filePath(QStringLiteral("run-1.previous.journal"));
        writeFile(undated, "PICTORJ1");
        QFile old(undated);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(now.addDays(-40), QFileDevice::FileModificationTime));
        old.close();
        JournalStore(folder.path()).scan();
        QVERIFY(!QFile::exists(month));
        QVERIFY(!QFile::exists(undated));
        QVERIFY(QFile::exists(weeks));
        for (const QString& path : aside + QStringList{own})
            QVERIFY(QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
