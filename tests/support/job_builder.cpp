// SPDX-License-Identifier: MIT
#include "support/job_builder.h"

JobState makeJob(const JobRanges& r) {
    JobState job;
    job.largeMode = r.largeEnd == 0 ? 1 : 0;
    job.largeStart = r.largeStart;
    job.largeEnd = r.largeEnd;
    job.largeUnitPrice = r.largePrice;
    job.largeCount = r.largeEnd == 0 ? 0 : r.largeEnd - r.largeStart + 1;
    job.mediumMode = r.mediumEnd == 0 ? 1 : 0;
    job.mediumStart = r.mediumStart;
    job.mediumEnd = r.mediumEnd;
    job.mediumUnitPrice = r.mediumPrice;
    job.mediumCount = r.mediumEnd == 0 ? 0 : r.mediumEnd - r.mediumStart + 1;
    job.smallStart = r.smallStart;
    job.smallEnd = std::int16_t(r.smallEnd);
    job.smallUnitPrice = r.smallPrice;
    job.smallCount = std::int16_t(r.smallEnd - r.smallStart + 1);
    return job;
}

QVector<int> photoTokens(const QString& text) {
    QVector<int> tokens;
    for (const QString& item : text.split(u' ', Qt::SkipEmptyParts)) {
        if (item.contains(u')') || item.contains(u'\\'))
            continue;
        tokens << int(readNumber(item));
    }
    return tokens;
}
