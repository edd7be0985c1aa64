// SPDX-License-Identifier: MIT
#pragma once

#include "domain/roster/job_companion.h"

#include <optional>

#include <QString>
#include <QVector>

// Tying an order slip to its pupil in the roster while the slips are keyed:
// by the code printed on the slip, read by a barcode scanner, or by the
// pupil's class and number typed into a small box.

// The code printed on a roster pupil's slip: "P", the pupil's place in the
// roster (four digits or more) and two check digits made from the pupil's
// class, number and name, so that a slip printed from another roster is
// told apart. The numeric keypad cannot type its letter.
QString slipCodeOf(const Roster& roster, int pupil);

struct PupilMatch {
    std::optional<int> pupil;  // the roster pupil's index
    QString problem;           // why there is none, for the operator
};

// The pupil a scanned code names.
PupilMatch matchSlipCode(const Roster& roster, const QString& code);

// The pupil of a class and number as typed: the class alone ("1"), or with
// the grade before a minus ("6-1") when the roster has the class in more
// than one grade. With no number, the class box may hold the school's ID.
PupilMatch lookUpPupil(const Roster& roster, const QString& classText, const QString& numberText);

// Tells a scanner's keys from the operator's. A scanner types its code as
// a burst of keys ending with Enter; the code starts with a letter, which
// the keypad cannot type. From a letter on, keys are held back; when Enter
// ends the burst, the code is read and none of its keys reach the keying.
// When the burst stops short (no key within kGapMs, or a key no code holds)
// it was not a scan: the held keys other than letters are handed on as
// typed, so a number typed around them comes out unchanged.
class SlipScanReader {
public:
    static constexpr qint64 kGapMs = 80;

    struct Outcome {
        bool taken = false;   // the key is held or handed on here: nothing else to do with it
        QString code;         // a whole code, read
        QVector<int> handOn;  // keys to hand to the keying now, in order
    };
    // A key (its character code, Enter 13) typed at atMs (milliseconds of
    // any steady clock).
    Outcome key(int keyAscii, qint64 atMs);
    // No key has come for kGapMs: the held keys to hand on.
    QVector<int> giveUp();
    bool reading() const { return !held_.isEmpty(); }

private:
    QVector<int> held_;
    qint64 lastAt_ = 0;
};

// The ties of the slips while they are keyed: the open slip's pupil is held
// until the slip is registered, then the registered pupil is tied to it.
class SlipTies {
public:
    explicit SlipTies(JobCompanion& companion) : companion_(companion) {}

    std::optional<int> openSlip() const { return openSlip_; }
    void tieOpenSlip(std::optional<int> rosterPupil) { openSlip_ = rosterPupil; }
    // A registered pupil (1 and up) tied to a roster pupil, or untied.
    void tieRegistered(int registeredPupil, std::optional<int> rosterPupil);
    std::optional<int> tieOf(int registeredPupil) const;

    // After a key was handed to the job: when it registered the open slip
    // (the job has one pupil more), that pupil takes the open slip's tie.
    void followKeying(int personCount);
    // The job's pupils changed otherwise (loaded, combined): no slip closed.
    void resync(int personCount) { seenPersons_ = personCount; }

    // The registered pupils tied to a roster pupil, in order.
    QVector<int> registeredOf(int rosterPupil) const;

    // A slip already tied elsewhere: the text asking whether it is another
    // order from the same pupil, and its two answers (cancel is Enter's).
    static QString repeatQuestion(const RosterPupil& pupil, const QVector<int>& registered);

private:
    JobCompanion& companion_;
    std::optional<int> openSlip_;
    int seenPersons_ = 0;
};

// The pupil as the input and correction screens show it: "6年1組 12番  山田 花子".
QString tiedPupilText(const Roster& roster, std::optional<int> pupil);

namespace SlipTieTexts {
extern const QString kNotSlipCode;     // %1: the code
extern const QString kOtherRoster;     // %1: the code
extern const QString kNoSuchPupil;     // the class and number are in no row
extern const QString kGradeNeeded;     // the class and number are in two grades
extern const QString kNoSuchId;        // %1: the ID
extern const QString kRepeatQuestion;  // %1: the pupil, %2: their registered slips
extern const QString kAnotherOrder;    // the answer tying the slip again
extern const QString kCancel;          // the answer leaving it
}  // namespace SlipTieTexts
