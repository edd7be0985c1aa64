// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/numbers.h"

#include <array>
#include <cstdint>

#include <QString>
#include <QVector>

// The one record of a run: the job header, the size ranges and prices, the
// count of every photo number, the totals, one text record per registered
// pupil, the pupil being keyed in (the open entry), the history display
// and the sound files. Every window reads and writes its fields directly;
// the procedures that change it consistently live with the order-entry
// engine, the correction screen, the loader and the setup handlers.
struct JobState {
    static constexpr int kMaxPhotoNumber = 10000;  // printCounts is indexed 1..10000
    static constexpr int kMaxPersons = 1500;       // personRecords slots 1..1500
    static constexpr int kHistoryLineSlots = 150;  // historyLines slots 1..150
    static constexpr int kMaxEntryPrints = 100;    // prints of one open entry

    // Job header.
    NumberOrText customerName;
    NumberOrText eventName;
    QString shootingDate;
    NumberOrText photographerName;
    NumberOrText largeMode;  // 0 large size set up, 1 switched off
    NumberOrText largeStart;
    NumberOrText largeEnd;
    std::int16_t mediumMode = 0;  // 0 medium size set up, 1 switched off
    NumberOrText mediumStart;
    NumberOrText mediumEnd;
    NumberOrText smallStart;
    std::int16_t smallEnd = 0;
    Number largeCount = 0;
    Number mediumCount = 0;
    std::int16_t smallCount = 0;
    NumberOrText largeUnitPrice;
    NumberOrText mediumUnitPrice;
    std::int32_t smallUnitPrice = 0;

    // Counts and totals. Index 0 of printCounts is unused.
    std::array<std::int16_t, kMaxPhotoNumber + 1> printCounts{};
    Number grandTotalPrints = 0;
    Number largeTotalPrints = 0;
    Number mediumTotalPrints = 0;
    std::int32_t smallTotalPrints = 0;
    Number personCount = 0;
    Number lastRecordSlot = 0;

    // Pupil records, slots 1..1500 (index 0 unused).
    QVector<QString> personRecords = QVector<QString>(kMaxPersons + 1);

    // The open entry.
    QString pendingEntry;
    QString pendingAmountText;
    Number currentPhotoNumber = 0;
    std::int16_t copyCount = 0;
    bool clearInputOnNextKey = false;
    bool hasPendingEntries = false;
    bool entryOverflow = false;
    bool removalFound = false;

    // History display.
    Number historyTopRow = 0;
    Number historyRowCount = 0;
    QVector<QString> historyLines = QVector<QString>(kHistoryLineSlots + 1);  // slots 1..150
    QString correctedRecord;

    // Sounds, set when the input screen is loaded.
    QString acceptSoundPath;
    QString closeSoundPath;
    QString keySoundPath;
};

// Which sizes a photo number belongs to. The three tests are made
// independently; with ranges that do not overlap at most one is true, and a
// switched-off size (range 0 to 0) takes no photo number from 1 up.
struct SizeClass {
    bool large = false;
    bool medium = false;
    bool small = false;

    bool any() const { return large || medium || small; }
};

SizeClass sizeClassOf(const JobState& job, Number photoNumber);

// The record text of pupil N: "(N) " + the open entry's tokens + "\." +
// the amount text (plain decimal and a blank), e.g. «(3) 12 12 45 \.1500 ».
QString personRecordText(Number personNumber, const QString& entry, const QString& amountText);

// The marker between a record's photo numbers and its amount: a backslash
// (drawn as the yen sign by Japanese fonts) and a full stop.
inline const QString kAmountMarker = QStringLiteral("\\.");
