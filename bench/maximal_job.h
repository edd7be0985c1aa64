// SPDX-License-Identifier: MIT
#pragma once

// The jobs the benchmarks work on.
#include "domain/job/job_state.h"

#include <cstdint>

#include <QString>

// A job as the setup screen leaves it before any pupil is keyed: large
// 1-1000 at 1200, medium 1001-3000 at 800, small 3001-9999 at
// smallUnitPrice; no pupils, no counts.
inline JobState setUpJob(std::int32_t smallUnitPrice) {
    JobState job;
    job.largeStart = 1;
    job.largeEnd = 1000;
    job.largeUnitPrice = 1200;
    job.mediumStart = 1001;
    job.mediumEnd = 3000;
    job.mediumUnitPrice = 800;
    job.smallStart = 3001;
    job.smallEnd = 9999;
    job.smallUnitPrice = smallUnitPrice;
    return job;
}

// The largest job the program keeps, built directly: 1500 pupils of 100
// prints spread over photo numbers 1000 to 9999, with their amounts and
// totals, as the order entry would have left them.
inline JobState maximalJob() {
    JobState job;
    job.customerName = QStringLiteral("山田写真館");
    job.eventName = QStringLiteral("運動会");
    job.shootingDate = QStringLiteral("令和6年5月1日");
    job.photographerName = QStringLiteral("山田");
    job.largeMode = 0;
    job.largeStart = 1;
    job.largeEnd = 2000;
    job.largeUnitPrice = 800;
    job.mediumStart = 2001;
    job.mediumEnd = 5000;
    job.mediumUnitPrice = 500;
    job.smallStart = 5001;
    job.smallEnd = 9999;
    job.smallUnitPrice = 100;
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        QString entry;
        int amount = 0;
        for (int i = 0; i < JobState::kMaxEntryPrints; ++i) {
            const int n = 1000 + (k * 37 + i * 91) % 9000;
            entry += QString::number(n) + u' ';
            job.printCounts[std::size_t(n)] += 1;
            job.grandTotalPrints += 1;
            amount += n <= 2000 ? 800 : n <= 5000 ? 500 : 100;
            if (n <= 2000)
                job.largeTotalPrints += 1;
            else if (n <= 5000)
                job.mediumTotalPrints += 1;
            else
                job.smallTotalPrints += 1;
        }
        job.personRecords[k] = personRecordText(k, entry, QString::number(amount) + u' ');
    }
    job.personCount = JobState::kMaxPersons;
    job.lastRecordSlot = JobState::kMaxPersons;
    return job;
}
