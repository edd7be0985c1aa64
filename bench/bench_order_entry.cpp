// SPDX-License-Identifier: MIT
// Keys a maximal job through the order-entry engine: 1500 pupils of 100
// prints each, Enter after every number and "/" after every pupil, and
// reports how long single keystrokes, closes and history refreshes take.
//
//   build/bench/bench_order_entry

#include "domain/entry/order_entry.h"
#include "domain/platform/platform_relay.h"
#include "maximal_job.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QRandomGenerator>

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

struct Timings {
    std::vector<double> samples;

    void report(const char* what) {
        if (samples.empty())
            return;
        std::sort(samples.begin(), samples.end());
        std::printf("%-34s n=%-7zu median %8.2f us   p99 %8.2f us   worst %8.2f us\n", what,
                    samples.size(), samples[samples.size() / 2], samples[samples.size() * 99 / 100],
                    samples.back());
    }
};

template <class F>
double timed(F&& f) {
    const auto start = Clock::now();
    f();
    return microseconds(Clock::now() - start);
}

}  // namespace

int main() {
    JobState job = setUpJob(29999);
    SilentPlatform platform;
    OrderEntry engine(job, platform);
    engine.Form_Load(QStringLiteral("."));
    engine.Form_Activate();

    QRandomGenerator random(7);
    Timings digits, enters, closes;
    double lastClose = 0;
    for (int person = 1; person <= JobState::kMaxPersons; ++person) {
        for (int print = 0; print < JobState::kMaxEntryPrints; ++print) {
            const QString number = QString::number(1 + random.bounded(9999));
            for (const QChar c : number)
                digits.samples.push_back(timed([&] { engine.Form_KeyPress(c.unicode()); }));
            enters.samples.push_back(timed([&] { engine.Form_KeyPress(OrderEntry::kKeyEnter); }));
        }
        lastClose = timed([&] { engine.Form_KeyPress('/'); });
        closes.samples.push_back(lastClose);
    }
    if (job.personCount != JobState::kMaxPersons || job.grandTotalPrints != 150000) {
        std::printf("unexpected job: %g persons, %g prints\n", job.personCount,
                    job.grandTotalPrints);
        return 1;
    }

    std::printf("maximal job: %g persons, %g prints, %g history rows\n", job.personCount,
                job.grandTotalPrints, job.historyRowCount);
    digits.report("digit keystroke");
    enters.report("Enter keystroke (add a print)");
    closes.report("close (\"/\"), any person");
    std::printf("%-34s %8.2f us\n", "close of the 1500th person", lastClose);

    Timings refreshes, coldRefreshes, pages;
    for (int i = 0; i < 200; ++i)
        refreshes.samples.push_back(timed([&] { engine.Form_Activate(); }));
    for (int i = 0; i < 200; ++i)
        pages.samples.push_back(timed([&] { engine.PageHistoryEarlier(); }));
    for (int i = 0; i < 20; ++i) {
        // A fresh engine has not yet read any record (as after loading a job).
        OrderEntry fresh(job, platform);
        coldRefreshes.samples.push_back(timed([&] { fresh.Form_Activate(); }));
    }
    refreshes.report("history refresh at 1500 persons");
    coldRefreshes.report("first history refresh (cold)");
    pages.report("page one row earlier");
    return 0;
}
