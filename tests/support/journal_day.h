// SPDX-License-Identifier: MIT
#pragma once

#include "domain/entry/order_entry.h"
#include "domain/job/job_state.h"
#include "domain/journal/journal.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <QRandomGenerator>
#include <QString>

// The job of the keyed days that journal tests interrupt.
inline JobState journalDayJob() {
    JobState job = makeJob();
    job.customerName = QStringLiteral("桜ヶ丘小学校");
    job.eventName = QStringLiteral("運動会");
    return job;
}

// The keys of a day: pupils of up to 30 prints of numbers in the ranges,
// now and then one taken back, each pupil closed.
inline QString journalDayKeys(quint32 seed, int pupils = 60) {
    QRandomGenerator random(seed);
    QString keys;
    for (int pupil = 0; pupil < pupils; ++pupil) {
        const int prints = 1 + random.bounded(30);
        for (int print = 0; print < prints; ++print) {
            const int n = 1 + random.bounded(999);
            keys += QString::number(n) + u'\r';
            if (random.bounded(20) == 0)
                keys += QString::number(n) + QStringLiteral("-\r");
        }
        keys += u'/';
    }
    return keys;
}

// The job a day's first keys give, keyed straight into an engine.
inline JobState keyedStraight(const QString& keys) {
    JobState job = journalDayJob();
    FakePlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("/x"));
    for (const QChar c : keys)
        engine.Form_KeyPress(c.unicode());
    return job;
}

// A day keyed through the engine as the input screen keys it: every entry
// is written to the journal, then carried out.
class JournaledDay {
public:
    // sync: how the journal is synced (a test's fake, or the system's fsync).
    explicit JournaledDay(const QString& path, JournalSync::SyncCall sync = {})
        : engine(job, platform), writer(std::move(sync)) {
        job = makeJob();
        job.customerName = QStringLiteral("桜ヶ丘小学校");
        engine.Form_Load(QStringLiteral("/x"));
        writer.setPath(path);
        writer.begin(job);
    }

    void apply(const JournalEntry& entry) {
        writer.record(entry, job);
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
