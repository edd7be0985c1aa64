// SPDX-License-Identifier: MIT
#pragma once

// The jobs that the save tests write. The faults themselves, which only a
// POSIX system makes, are in posix_faults_fixture.h.

#include "domain/job/job_state.h"
#include "support/job_builder.h"

#include <QString>

// A job with a header and `persons` registered pupils of 100 prints each
// (four-digit photo numbers): 36 KB of job file with none, 816 KB with 1500.
inline JobState jobOfPersons(int persons, const QString& customer = QStringLiteral("山田写真館")) {
    JobState job = makeJob({1000, 2999, 800, 3000, 5999, 500, 6000, 9999, 100});
    job.customerName = customer;
    job.eventName = QStringLiteral("運動会");
    job.shootingDate = QStringLiteral("令和6年5月1日");
    job.photographerName = QStringLiteral("山田");
    for (int k = 1; k <= persons; ++k) {
        QString entry;
        for (int i = 0; i < JobState::kMaxEntryPrints; ++i) {
            const int n = 1000 + (k * 37 + i * 91) % 9000;
            entry += QString::number(n) + u' ';
            job.printCounts[std::size_t(n)] += 1;
            job.grandTotalPrints += 1;
        }
        job.personRecords[k] = personRecordText(k, entry, QStringLiteral("10000 "));
    }
    job.personCount = job.lastRecordSlot = persons;
    return job;
}
