// SPDX-License-Identifier: MIT
// Who ordered a photo, over a maximal job keyed through the order-entry
// engine (1500 pupils of 100 prints): how long one search takes, for many
// photo numbers taken at random from the job's ranges, and how long the
// list of ordered numbers without a photo takes (a folder of every third
// photo), which the search window makes at each search once a photo folder
// is chosen.
//
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   ninja -C build-release bench_photo_search && build-release/bench/bench_photo_search

#include "domain/entry/order_entry.h"
#include "domain/platform/platform_relay.h"
#include "domain/tools/photo_search.h"
#include "maximal_job.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QRandomGenerator>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kQueries = 2000;

// 1500 pupils of 100 prints at random photo numbers, keyed through the
// engine.
JobState keyedMaximalJob() {
    JobState job = setUpJob(300);

    SilentPlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("."));
    QRandomGenerator random(7);
    for (int person = 1; person <= JobState::kMaxPersons; ++person) {
        for (int print = 0; print < JobState::kMaxEntryPrints; ++print) {
            for (const QChar c : QString::number(1 + random.bounded(9999)))
                engine.Form_KeyPress(c.unicode());
            engine.Form_KeyPress(OrderEntry::kKeyEnter);
        }
        engine.Form_KeyPress('/');
    }
    return job;
}

}  // namespace

int main() {
    const JobState job = keyedMaximalJob();
    if (job.personCount != JobState::kMaxPersons || job.grandTotalPrints != 150000) {
        std::printf("unexpected job: %g persons, %g prints\n", job.personCount,
                    job.grandTotalPrints);
        return 1;
    }

    QRandomGenerator random(11);
    std::vector<double> samples;
    long long found = 0;
    for (int i = 0; i < kQueries; ++i) {
        const QString typed = QString::number(1 + random.bounded(9999));
        const auto start = Clock::now();
        const PhotoSearchResult result = searchPhotoNumber(job, typed);
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        // Each answer must be the job's own count of the number.
        if (result.totalPrints != job.printCounts[std::size_t(result.photoNumber)]) {
            std::printf("wrong answer for %s\n", qPrintable(typed));
            return 1;
        }
        found += result.pupils.size();
    }
    std::sort(samples.begin(), samples.end());
    std::printf("maximal job: %g persons, %g prints; %d searches, %.1f pupils found on average\n",
                job.personCount, job.grandTotalPrints, kQueries, double(found) / kQueries);
    std::printf("search: median %.3f ms   p99 %.3f ms   worst %.3f ms\n",
                samples[samples.size() / 2], samples[samples.size() * 99 / 100], samples.back());

    samples.clear();
    qsizetype missing = 0;
    for (int i = 0; i < 200; ++i) {
        const auto start = Clock::now();
        missing = orderedNumbersWithoutPhoto(job, [](int n) { return n % 3 == 0; }).size();
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    std::printf("ordered numbers without a photo (%lld of them): median %.3f ms   worst %.3f ms\n",
                static_cast<long long>(missing), samples[samples.size() / 2], samples.back());
    return 0;
}
