// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

#include <QtTest>

// The records of slots 1 to 1500 as a load leaves them: a slot without a
// pupil holds its own label "(k) ".
inline QVector<QString> recordsAsLoaded(const JobState& job) {
    QVector<QString> records(JobState::kMaxPersons + 1);
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        const QString label = QStringLiteral("(%1) ").arg(k);
        const QString& record = job.personRecords.value(k);
        records[k] = record.isEmpty() ? label : record;
    }
    return records;
}

// Checks that two jobs have the same header, ranges, prices, counts and
// totals. Callers return when QTest::currentTestFailed() afterwards.
inline void verifySameHeaderAndCounts(const JobState& loaded, const JobState& job) {
    QCOMPARE(loaded.customerName.toText(), job.customerName.toText());
    QCOMPARE(loaded.eventName.toText(), job.eventName.toText());
    QCOMPARE(loaded.shootingDate, job.shootingDate);
    QCOMPARE(loaded.photographerName.toText(), job.photographerName.toText());
    QCOMPARE(loaded.largeMode.value(), job.largeMode.value());
    QCOMPARE(loaded.largeStart.value(), job.largeStart.value());
    QCOMPARE(loaded.largeEnd.value(), job.largeEnd.value());
    QCOMPARE(loaded.mediumMode, job.mediumMode);
    QCOMPARE(loaded.mediumStart.value(), job.mediumStart.value());
    QCOMPARE(loaded.mediumEnd.value(), job.mediumEnd.value());
    QCOMPARE(loaded.smallStart.value(), job.smallStart.value());
    QCOMPARE(loaded.smallEnd, job.smallEnd);
    QCOMPARE(loaded.largeUnitPrice.value(), job.largeUnitPrice.value());
    QCOMPARE(loaded.mediumUnitPrice.value(), job.mediumUnitPrice.value());
    QCOMPARE(loaded.smallUnitPrice, job.smallUnitPrice);
    QCOMPARE(loaded.printCounts, job.printCounts);
    QCOMPARE(loaded.grandTotalPrints, job.grandTotalPrints);
    QCOMPARE(loaded.largeTotalPrints, job.largeTotalPrints);
    QCOMPARE(loaded.mediumTotalPrints, job.mediumTotalPrints);
    QCOMPARE(loaded.smallTotalPrints, job.smallTotalPrints);
    QCOMPARE(loaded.personCount, job.personCount);
    QCOMPARE(loaded.lastRecordSlot, job.lastRecordSlot);
}

// Checks that a job loaded from a saved file is the job that was saved:
// header, ranges, prices, counts, totals and records. Callers return when
// QTest::currentTestFailed() afterwards.
inline void verifySameJob(const JobState& loaded, const JobState& job) {
    verifySameHeaderAndCounts(loaded, job);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(loaded.personRecords, recordsAsLoaded(job));
}

// Checks that two jobs hold the same data, field by field: header, ranges,
// prices, counts, totals, the records exactly as they stand, and the open
// pupil. Callers return when QTest::currentTestFailed() afterwards.
inline void verifySameState(const JobState& actual, const JobState& expected) {
    verifySameHeaderAndCounts(actual, expected);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(actual.personRecords, expected.personRecords);
    QCOMPARE(actual.largeCount, expected.largeCount);
    QCOMPARE(actual.mediumCount, expected.mediumCount);
    QCOMPARE(actual.smallCount, expected.smallCount);
    QCOMPARE(actual.pendingEntry, expected.pendingEntry);
    QCOMPARE(actual.pendingAmountText, expected.pendingAmountText);
    QCOMPARE(actual.currentPhotoNumber, expected.currentPhotoNumber);
    QCOMPARE(actual.copyCount, expected.copyCount);
    QCOMPARE(actual.clearInputOnNextKey, expected.clearInputOnNextKey);
    QCOMPARE(actual.hasPendingEntries, expected.hasPendingEntries);
    QCOMPARE(actual.entryOverflow, expected.entryOverflow);
    QCOMPARE(actual.removalFound, expected.removalFound);
    QCOMPARE(actual.correctedRecord, expected.correctedRecord);
}
