// SPDX-License-Identifier: MIT
#pragma once

#include "domain/entry/setup_screen.h"
#include "domain/job/job_state.h"

#include <optional>

#include <QString>

class Platform;

// The field handling of the job setup screen: each field is validated and
// stored in the job when it is left (the price boxes also on every change),
// Enter moves to the next field, the range counts are computed, and the
// overlap check runs after every accepted range or price. The window turns
// its widget events into these calls; the screen interface carries the
// effects back to the controls.
class JobSetup {
public:
    static constexpr int kKeyEnter = 13;
    static constexpr Number kHighestPhotoNumber = 9999;
    static constexpr Number kPriceLimit = 30000;  // prices stay below this

    // The texts of the refusals.
    static const QString kStartNotPositiveMessage;
    static const QString kEndNotPositiveMessage;
    static const QString kEndTooHighMessage;
    static const QString kLargeEndBeforeStartMessage;
    static const QString kMediumEndBeforeStartMessage;
    static const QString kSmallEndBeforeStartMessage;
    static const QString kPriceTooLargeMessage;
    // A range or price box whose text is not a whole number: %1 the box
    // (kLargeStartName, …), %2 its text, %3 what it takes.
    static const QString kUnreadableMessage;
    static const QString kPhotoNumberForms;
    static const QString kPriceForms;

    JobSetup(JobState& job, SetupScreen& screen, Platform& platform);

    // A start box (tbDaiStart, tbChuStart, tbShouStart) was left.
    void startLeft(SizeRow row);

    // An end box (tbDaiEnd, tbChuEnd, tbShouEnd) was left.
    void endLeft(SizeRow row);

    // A price box's text changed, by typing or from the program.
    void priceChanged(SizeRow row);

    // A price box was left: a text that is not a price is refused; the
    // large and small prices are stored and checked again.
    void priceLeft(SizeRow row);

    // tbShouEnd's text changed.
    void smallEndChanged();

    // One of the four job text fields was left: stored as typed.
    void textFieldLeft(SetupControl field);

    // A key with a character was pressed in a field (Enter is 13): a key in
    // tbDaiStart switches the large size on; Enter moves the focus on.
    void keyPress(SetupControl field, int keyAscii);

    // Where Enter in a field moves the focus, if anywhere.
    std::optional<SetupControl> enterTarget(SetupControl field) const;

    // Where the focus goes when the window becomes active.
    SetupControl activationFocus() const;

    // Switching a size off (large or medium): its boxes emptied, its row
    // hidden, its range, count and price cleared, the focus to the next size
    // in use. Switching it on shows the row (and, for large, puts the focus
    // in tbDaiStart).
    void switchOff(SizeRow row);
    void switchOn(SizeRow row);

    // The count box of a size: end box value - start box value + 1 in the
    // signed display form, and the stored count from it.
    void computeCount(SizeRow row);

    void CheckRangeOverlap();

private:
    bool largeInUse() const { return job_.largeMode.value() == 0; }
    bool mediumInUse() const { return job_.mediumMode == 0; }
    bool isEmpty(SetupControl box) const { return screen_.text(box).isEmpty(); }
    // What a range or price box holds: the whole number its text means
    // (readWholeNumber, with a yen sign for a price), or nothing when the
    // text is no such number.
    std::optional<Number> read(SetupControl box) const;
    // The value of a box that holds a number (0 when it holds none).
    Number valueOf(SetupControl box) const { return read(box).value_or(0); }
    // Shows a box's full-width text half-width; true when that changed it.
    bool showHalfWidth(SetupControl box);
    // Shows a left box's number as it was read (1200 for "￥1,200").
    void showAsRead(SetupControl box);
    // A left range or price box whose text is no number: the message naming
    // the box and its text, the box emptied, the focus back in it.
    void refuseUnreadable(SetupControl box);

    Number storedStart(SizeRow row) const;
    Number storedEnd(SizeRow row) const;
    void setStoredStart(SizeRow row, Number value);
    void setStoredEnd(SizeRow row, Number value);
    void setStoredCount(SizeRow row, Number value);
    bool setStoredPrice(SizeRow row, Number value);
    bool refusePrice(SizeRow row, Number value);

    JobState& job_;
    SetupScreen& screen_;
    Platform& platform_;
};
