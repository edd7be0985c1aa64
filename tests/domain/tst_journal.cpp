// SPDX-License-Identifier: MIT
#include "domain/journal.h"
#include "domain/journal_store.h"
#include "domain/order_entry.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

// A day keyed through the engine as the input screen keys it: every entry
// is written to the journal, then carried out.
class JournaledDay {
public:
    explicit JournaledDay(const QString& path) : engine(job, platform) {
        job = makeJob();
        job.customerName = QStringLiteral("桜ヶ丘小学校");
        engine.Form_Load(QStringLiteral("/x"));
        writer.setPath(path);
        writer.begin(job);
    }

    void apply(const JournalEntry& entry) {
        writer.record(entry);
        applyJournalEntry(engine, platform, entry);
        // The operator closes an alert window at once, which hands the
        // screen back and activates it, and takes back the number kept for
        // editing.
        if (!engine.display().form1Enabled) {
            apply({JournalEntry::Kind::AlertClosed});
            apply({JournalEntry::Kind::Activate});
            while (!engine.display().Label1.isEmpty())
                apply({JournalEntry::Kind::KeyPress, OrderEntry::kKeyBackSpace});
        }
    }
    void keys(const QString& text) {
        for (const QChar c : text)
            apply({JournalEntry::Kind::KeyPress, c.unicode()});
    }

    JobState job;
    FakePlatform platform;
    OrderEntry engine;
    JournalWriter writer;
};

class TestJournal : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("run-0.journal")); }

    static QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static std::optional<JournalContents> read(const QByteArray& bytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return readJournal(buffer);
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

        // Setting aside keeps one older generation.
        QVERIFY(first.setAside(*scan.restorable));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("run-1.previous.journal"))));
        QVERIFY(!QFile::exists(mine));
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
