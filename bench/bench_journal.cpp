// SPDX-License-Identifier: MIT
// The journal at a full day: 1500 pupils of 100 prints keyed as the input
// screen keys them (each key written to the journal, then carried out),
// then the next start restoring it: reading, replaying for the question,
// and rebuilding the input screen. Also the cost the journal adds to one
// key, measured on the engine with and without it, and how long after a
// close its pupil is on the disk (the journal's sync thread done), waited
// for before the next key.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_journal

#include "app/program.h"
#include "app/run_start.h"
#include "domain/entry/order_entry.h"
#include "domain/journal/journal_store.h"
#include "domain/platform/platform_relay.h"
#include "gui/input/form1.h"
#include "support/fake_platform.h"
#include "support/journal_day.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double>& samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Keys a full day into an engine, through the journal when one is given;
// returns the median time of a digit, an Enter and a close in microseconds.
struct DayTimes {
    double digit = 0, enter = 0, close = 0;
    double onDisk = 0, onDiskWorst = 0;  // with the journal
};
DayTimes keyFullDay(JobState& job, JournalWriter* journal) {
    SilentPlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("."));
    if (journal)
        journal->begin(job);
    std::vector<double> digits, enters, closes, onDisk;
    QRandomGenerator random(3);
    const auto key = [&](int ascii, std::vector<double>& into) {
        const auto start = Clock::now();
        const JournalEntry entry(JournalEntry::Kind::KeyPress, ascii);
        if (journal)
            journal->record(entry);
        applyInputEntry(engine, entry);
        into.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    };
    for (int pupil = 0; pupil < JobState::kMaxPersons; ++pupil) {
        for (int print = 0; print < 100; ++print) {
            for (const QChar c : QString::number(1 + random.bounded(999)))
                key(c.unicode(), digits);
            key(OrderEntry::kKeyEnter, enters);
        }
        const auto start = Clock::now();
        key('/', closes);
        if (journal) {
            journal->waitForDisk();
            onDisk.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
    }
    DayTimes times{median(digits), median(enters), median(closes)};
    if (journal) {
        times.onDisk = median(onDisk);
        times.onDiskWorst = onDisk.back();
    }
    return times;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir folder;

    JobState plain = journalDayJob();
    const DayTimes without = keyFullDay(plain, nullptr);

    JobState journaled = journalDayJob();
    {
        JournalStore store(folder.path());
        JournalWriter writer;
        writer.setPath(store.claim());
        const DayTimes with = keyFullDay(journaled, &writer);
        std::printf("key into the engine, median us   without journal   with journal\n");
        std::printf("  digit                          %8.2f          %8.2f\n", without.digit,
                    with.digit);
        std::printf("  Enter                          %8.2f          %8.2f\n", without.enter,
                    with.enter);
        std::printf("  close                          %8.2f          %8.2f\n", without.close,
                    with.close);
        std::printf("close to on the disk: median %.0f us, worst %.0f us\n", with.onDisk,
                    with.onDiskWorst);
        std::printf("journal of the day: %lld bytes\n",
                    static_cast<long long>(QFileInfo(writer.path()).size()));
    }  // the run ends without saving: the journal stays

    // The next start: scan, question (a replay of its own), restore.
    QElapsedTimer timer;
    timer.start();
    JournalStore store(folder.path());
    Program<FakePlatform> program(QStringLiteral("."));
    program.context.journal = &program.journal;
    program.platform.questionAnswers = {true};
    startRunWithJournal(program.context, store);
    const double restore = double(timer.nsecsElapsed()) / 1e9;
    if (program.job.personCount != JobState::kMaxPersons ||
        program.job.printCounts != journaled.printCounts) {
        std::printf("the restored job differs from the keyed one\n");
        return 1;
    }
    std::printf("restore of the full day (1500 pupils of 100 prints): %.2f s\n", restore);
    return 0;
}
