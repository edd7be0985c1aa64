// SPDX-License-Identifier: MIT
#include "domain/job/allowed_range_text.h"

#include "domain/job/job_state.h"
#include "domain/job/numbers.h"

namespace {

QString rangeText(Number start, Number end) {
    return plainDecimal(start) + QStringLiteral(" ~ ") + plainDecimal(end);
}

}  // namespace

QString AllowedRangeText(const JobState& job) {
    QString text;
    if (job.largeMode.value() == 0) {
        text += QStringLiteral("大（") + rangeText(job.largeStart.value(), job.largeEnd.value()) +
                QStringLiteral("） と");
    }
    if (job.mediumMode == 0) {
        text += QStringLiteral("中（") + rangeText(job.mediumStart.value(), job.mediumEnd.value()) +
                QStringLiteral("） と");
    }
    text += QStringLiteral(" 小（") + rangeText(job.smallStart.value(), job.smallEnd) +
            QStringLiteral("）");
    return text;
}
