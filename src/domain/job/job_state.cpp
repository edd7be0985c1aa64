// SPDX-License-Identifier: MIT
#include "domain/job/job_state.h"

SizeClass sizeClassOf(const JobState& job, Number n) {
    SizeClass size;
    size.large = job.largeStart.value() <= n && n <= job.largeEnd.value();
    size.medium = job.mediumStart.value() <= n && n <= job.mediumEnd.value();
    size.small = job.smallStart.value() <= n && n <= job.smallEnd;
    return size;
}

QString personRecordText(Number personNumber, const QString& entry, const QString& amountText) {
    return QStringLiteral("(") + plainDecimal(personNumber) + QStringLiteral(") ") + entry +
           kAmountMarker + amountText;
}
