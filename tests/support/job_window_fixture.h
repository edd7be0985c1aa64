// SPDX-License-Identifier: MIT
#pragma once

#include "app/program.h"
#include "domain/entry/order_entry.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/job/job_state.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"
#include "support/job_checks.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Keys typed into the order-entry engine: '\n' is Enter.
inline void typeKeys(OrderEntry& entry, const QString& keys) {
    for (const QChar c : keys)
        entry.Form_KeyPress(c == u'\n' ? OrderEntry::kKeyEnter : c.unicode());
}

// A job with a header, all three sizes and a few pupils keyed through the
// order-entry engine (a removal among them).
inline JobState keyedJob(const JobRanges& ranges = {}) {
    JobState job = makeJob(ranges);
    job.customerName = QStringLiteral("さくら小学校");
    job.eventName = QStringLiteral("運動会");
    job.shootingDate = QStringLiteral("2012-4-25");
    job.photographerName = QStringLiteral("山田");
    FakePlatform platform;
    OrderEntry entry(job, platform);
    entry.Form_Load(QDir::tempPath());
    typeKeys(entry, QStringLiteral("5\n5\n150\n400\n/"));
    typeKeys(entry, QStringLiteral("301\n999\n12\n-999\n*"));
    typeKeys(entry, QStringLiteral("100\n101\n300\n="));
    return job;
}

// A job with the large size switched off, the medium size switched off,
// or both (snaps only), and one pupil.
inline JobState switchedOffJob(bool largeOff, bool mediumOff) {
    JobRanges ranges;
    if (largeOff)
        ranges.largeStart = ranges.largeEnd = ranges.largePrice = 0;
    if (mediumOff)
        ranges.mediumStart = ranges.mediumEnd = ranges.mediumPrice = 0;
    JobState job = makeJob(ranges);
    job.customerName = QStringLiteral("みどり幼稚園");
    FakePlatform platform;
    OrderEntry entry(job, platform);
    entry.Form_Load(QDir::tempPath());
    typeKeys(entry, QStringLiteral("301\n302\n/"));
    return job;
}

// Writes the job as a job file; false (with a warning) when it fails.
inline bool writeJob(const JobState& job, const QString& path) {
    const JobFileSaveResult result = saveJobFile(path, job);
    if (!result.saved)
        qWarning("%s", qPrintable(result.message));
    return result.saved;
}

// The file's bytes.
inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Prints of photo number n in the registered records.
inline std::array<std::int16_t, JobState::kMaxPhotoNumber + 1> countsOfRecords(
    const JobState& job) {
    std::array<std::int16_t, JobState::kMaxPhotoNumber + 1> counts{};
    for (int k = 1; k <= int(job.personCount); ++k) {
        const QString& record = job.personRecords[k];
        for (const int n : photoTokens(record.left(record.indexOf(kAmountMarker))))
            ++counts[n];
    }
    return counts;
}
