// SPDX-License-Identifier: MIT
#include "domain/entry/job_settings_controls.h"

namespace {

QString decimal(Number value) {
    return value < 0 ? QStringLiteral("-") + plainDecimal(-value) : plainDecimal(value);
}

JobSettingsControls::Row rowFor(Number mode) {
    if (mode == 0)
        return JobSettingsControls::Row::SetUp;
    if (mode == 1)
        return JobSettingsControls::Row::SwitchedOff;
    return JobSettingsControls::Row::Untouched;
}

}  // namespace

JobSettingsControls jobSettingsControls(const JobState& job) {
    using Row = JobSettingsControls::Row;
    JobSettingsControls c;
    c.tbTokuisaki = job.customerName.toText();
    c.tbGyouji = job.eventName.toText();
    c.tbSatueibi = job.shootingDate;
    c.tbSatueisha = job.photographerName.toText();

    c.large = rowFor(job.largeMode.value());
    if (c.large == Row::SetUp) {
        c.tbDaiStart = job.largeStart.toText();
        c.tbDaiEnd = job.largeEnd.toText();
        c.tbDaiMai = decimal(job.largeEnd.value() - job.largeStart.value() + 1);
        c.tbDaiTanka = job.largeUnitPrice.toText();
    }

    c.medium = rowFor(job.mediumMode);
    if (c.medium == Row::SetUp) {
        c.tbChuStart = job.mediumStart.toText();
        c.tbChuEnd = job.mediumEnd.toText();
        c.tbChuMai = decimal(job.mediumEnd.value() - job.mediumStart.value() + 1);
        c.tbChuTanka = job.mediumUnitPrice.toText();
    }

    c.fillSmall = c.large != Row::Untouched || c.medium != Row::Untouched;
    if (c.fillSmall) {
        c.tbShouStart = job.smallStart.toText();
        c.tbShouEnd = decimal(job.smallEnd);
        c.tbShouMai = decimal(Number(job.smallEnd) - job.smallStart.value() + 1);
        c.tbShouTanka = decimal(job.smallUnitPrice);
    }
    return c;
}
