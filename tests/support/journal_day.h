// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"
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
