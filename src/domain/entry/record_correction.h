// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/history.h"
#include "domain/job/job_state.h"
#include "domain/platform/platform.h"

#include <functional>
#include <optional>

#include <QString>

// Where the correction screen puts the keyboard focus after a handler.
enum class CorrectionFocus { Text1, Text2 };

// What the correction screen shows, as data. The window shows exactly this.
struct CorrectionDisplay {
    QString Text1;                 // the pupil number
    QString Text2;                 // the photo number to add or delete
    bool Label7Visible = false;    // "no matching data": the number is not in the record
    bool Label8Visible = false;    // half-width digits only
    bool Label12Visible = false;   // "no matching data": no such pupil
    PictureBox Pic1;               // the record as registered
    PictureBox Pic2;               // the record after the latest edit
    bool frmTeiseiEnabled = true;  // false while the range alert is open over the screen
};

// How an add or a delete ended.
enum class EditOutcome {
    Done,        // the record, the counts and the totals have changed
    OutOfRange,  // the number lies in no range: the range alert must open
    BadNumber,   // not a plain positive number of half-width digits (Label8)
    NotFound,    // delete: the record holds no such number as typed (Label7)
    NoRecord,    // no pupil shown, or the record has no amount item (Label12)
    RecordFull,  // add: the record already holds the most prints a pupil may have
    CountLimit,  // add: the photo number's print count is at its limit
};

// The correction of registered records behind the correction screen: the
// pupil lookup, the two record pictures, adding and deleting one print of a
// photo number in a record, and finishing. It works on the job and on the
// display state; the window turns events into these calls and shows the
// display. The open entry of the input screen is never touched.
class RecordCorrection {
public:
    static constexpr int kKeyEnter = 13;
    // The most photo numbers one pupil's record may hold, as on the input screen.
    static constexpr int kMaxRecordPrints = JobState::kMaxEntryPrints;

    // Point colour of the registered record drawn on activation.
    static constexpr Rgb kActivatePointColour{0, 128, 128};
    // Point colour of the corrected record: the picture's background.
    static constexpr Rgb kCorrectedPointColour{0, 192, 192};
    // The classic system colour for button shadows, where the platform has none.
    static constexpr Rgb kDefaultButtonShadow{128, 128, 128};

    // Texts of the messages the edits show.
    static const QString kRecordFullMessage;
    static const QString kPhotoCountLimitMessage;

    RecordCorrection(JobState& job, Platform& platform);

    const CorrectionDisplay& display() const { return display_; }
    JobState& job() { return job_; }

    // Colour of the points drawn after the pupil number is typed.
    void setButtonShadowColour(Rgb colour) { buttonShadow_ = colour; }

    // Runs before anything that blocks (a message box), so the screen shows
    // the display as it is then.
    void setBeforeBlocking(std::function<void()> callback) {
        beforeBlocking_ = std::move(callback);
    }

    // Where the focus goes now, if a handler moved it; asking clears it.
    std::optional<CorrectionFocus> takeFocusRequest();

    // ---- Events ----

    // The screen becomes active coming from another window of the program.
    // Returning from the range alert always leaves the focus in Text2.
    void Form_Activate(bool returningFromAlert = false);
    // The text boxes got a new text (typed, or set by the program): the
    // change handler runs when the text really changed. Full-width digits,
    // signs and points are read, and shown, as half-width ones: in Text1 at
    // once, in Text2 when an add or a delete reads it.
    void setText1(const QString& text);
    void setText2(const QString& text);
    void Text1_KeyPress(int keyAscii);
    EditOutcome Command2_Click() { return AddPhotoNumber(); }
    EditOutcome Command4_Click() { return DeletePhotoNumber(); }
    void Command3_Click() { FinishCorrection(); }
    // The range alert over the screen has closed.
    void alertClosed();

    // ---- Procedures ----

    void LookUpPerson(Rgb pointColour);
    EditOutcome AddPhotoNumber();
    EditOutcome DeletePhotoNumber();
    void FinishCorrection();
    void DrawRegisteredRecord(Rgb pointColour);
    void DrawCorrectedRecord();

    // The registered pupil that Text1 names: 1..personCount, else 0.
    int shownPerson() const;

private:
    void Text1_Change();
    void Text2_Change();
    // The common start of an add and a delete. Returns the outcome when the
    // edit stops there.
    std::optional<EditOutcome> startEdit(int& person);
    void refuse(const QString& message);

    JobState& job_;
    Platform& platform_;
    CorrectionDisplay display_;
    std::optional<CorrectionFocus> focusRequest_;
    Rgb buttonShadow_ = kDefaultButtonShadow;
    std::function<void()> beforeBlocking_;
};

// ---- Record text helpers ----------------------------------------------------

// The registered pupil a text names, read and rounded like every 16-bit
// field (halves to even): 1..personCount, else 0. A number beyond the 16-bit
// range names no one.
int personNumberOf(const QString& text, const JobState& job);

// True when the text is a photo number as the record stores it: one or more
// half-width digits 0-9 and nothing else.
bool isPlainDigits(const QString& text);

// The number of photo numbers in a record (the pupil label and the amount
// item are not counted).
int photoNumbersIn(const QString& record);

// RebuildRecordAmount: the record (which ends with a blank and has no amount
// item) followed by "\.", its amount in plain decimal and a blank. Every
// blank-ended item is priced by the size its value (rounded to 16 bits) lies
// in; the pupil label reads 0.
QString RebuildRecordAmount(const QString& record, const JobState& job);

// The record parameters of the two pictures.
RecordLayoutParams registeredRecordParams(Rgb pointColour);
RecordLayoutParams correctedRecordParams();
