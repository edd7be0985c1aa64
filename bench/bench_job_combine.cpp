// SPDX-License-Identifier: MIT
// Combining jobs at their largest: a job of 750 pupils of 100 prints, keyed
// through the engine, and another file of 750 such pupils added to it, as
// the input screen's command does: choosing, loading and checking the
// file; writing the whole job to the journal, synced; carrying it out and
// refreshing the screen. The median of several runs, in milliseconds.
//
//   build/bench/bench_job_combine

#include "domain/entry/order_entry.h"
#include "domain/files/job_file_writer.h"
#include "domain/journal/journal.h"
#include "domain/tools/job_combine.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

JobState keyedHalf(quint32 seed) {
    JobState job = makeJob();
    FakePlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("."));
    QRandomGenerator random(seed);
    for (int pupil = 0; pupil < JobState::kMaxPersons / 2; ++pupil) {
        QList<int> numbers;
        for (int print = 0; print < JobState::kMaxEntryPrints; ++print)
            numbers << 1 + random.bounded(999);
        keyPerson(engine, numbers);
    }
    return job;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("other.ptl"));
    const JobState first = keyedHalf(1);
    if (!saveJobFile(path, keyedHalf(2)).saved) {
        std::fprintf(stderr, "the other job could not be saved\n");
        return 1;
    }

    constexpr int kRuns = 9;
    std::vector<double> choose, journal, carry;
    qint64 journalBytes = 0;
    for (int run = 0; run < kRuns; ++run) {
        JobState job = first;
        FakePlatform platform;
        platform.fileAnswers = {path};
        platform.questionAnswers = {true};
        OrderEntry engine(job, platform);
        engine.Form_Load(QStringLiteral("."));
        JournalWriter writer;
        writer.setPath(folder.filePath(QStringLiteral("run-%1.journal").arg(run)));
        writer.begin(job);
        const qint64 begun = QFileInfo(writer.path()).size();

        auto start = Clock::now();
        const std::optional<JobState> other = chooseJobToCombine(job, platform);
        choose.push_back(ms(start));
        if (!other) {
            std::fprintf(stderr, "refused: %s\n", qPrintable(platform.messages.value(0)));
            return 1;
        }
        start = Clock::now();
        const JournalEntry entry = JournalEntry::combine(*other);
        writer.record(entry);
        journal.push_back(ms(start));
        start = Clock::now();
        applyJournalEntry(engine, platform, entry);
        carry.push_back(ms(start));
        if (job.personCount != JobState::kMaxPersons || writer.failed()) {
            std::fprintf(stderr, "the combine did not take\n");
            return 1;
        }
        journalBytes = QFileInfo(writer.path()).size() - begun;
    }
    std::printf("combine 750 + 750 pupils of 100 prints (median of %d runs)\n", kRuns);
    std::printf("  choose, load and check the file: %.1f ms\n", median(choose));
    std::printf("  journal entry written and synced: %.1f ms (%lld bytes)\n", median(journal),
                static_cast<long long>(journalBytes));
    std::printf("  carried out, screen refreshed:    %.1f ms\n", median(carry));
    return 0;
}
