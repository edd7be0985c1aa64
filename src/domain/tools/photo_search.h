// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"
#include "domain/roster/job_companion.h"

#include <functional>
#include <optional>

#include <QString>
#include <QStringView>
#include <QVector>

// Who ordered a photo: for one photo number, every registered pupil whose
// record holds it, in pupil order. Like the reports and the save, it covers
// the registered pupils only; the pupil still being keyed in (the open
// entry) is left out and only counted for a note.

// One registered pupil who ordered the photo.
struct PhotoSearchHit {
    int personNumber = 0;
    int prints = 0;                // prints of the photo number in the record
    std::optional<Number> amount;  // the amount the record holds (none: a record without one)
    QString name{};  // class, number and name of the roster pupil tied (pupilNameText), or empty

    friend bool operator==(const PhotoSearchHit&, const PhotoSearchHit&) = default;
};

struct PhotoSearchResult {
    enum class Outcome {
        NothingTyped,     // the box is empty
        NotAPhotoNumber,  // not digits, or a number in none of the job's ranges
        NobodyOrdered,    // a photo number of the job that no registered pupil holds
        Found,
    };
    Outcome outcome = Outcome::NothingTyped;
    QString typed;        // the text searched for
    int photoNumber = 0;  // the number read (Found and NobodyOrdered)
    QVector<PhotoSearchHit> pupils;
    int totalPrints = 0;
    int pendingPrints = 0;          // every print of the open entry
    int pendingPrintsOfNumber = 0;  // the open entry's prints of this number
};

// Searches the registered pupils for the photo number typed: half-width
// digits, read the way the input screen reads a typed number («007» is 7).
// A number is one of the job's photo numbers when the input screen would
// take it: 1 to 10000 and in the range of a size in use. A pupil tied to
// the roster of the job's companion carries their class, number and name.
PhotoSearchResult searchPhotoNumber(const JobState& job, QStringView typed,
                                    const JobCompanion& companion = JobCompanion{});

// The photo numbers the registered pupils ordered that have no photo
// (hasPhoto answers false), ascending: the slips to look at again before the
// order goes to the lab.
QVector<int> orderedNumbersWithoutPhoto(const JobState& job,
                                        const std::function<bool(int photoNumber)>& hasPhoto);

// The texts the search window shows for a result.
namespace PhotoSearchTexts {

// The line under the list: the totals, or why there is no list.
QString summary(const PhotoSearchResult& result, const JobState& job);
// The note on the open entry; empty when there is none.
QString pendingNote(const PhotoSearchResult& result);
// The line on ordered numbers without a photo: how many, and the first
// `shown` of them; empty when there are none.
QString withoutPhoto(const QVector<int>& numbers, int shown = 20);
// The note on a searched number without a photo.
extern const QString kNoPhotoOfNumber;  // %1: the number
// An amount as the list shows it («1300»); empty when the record has none.
QString amount(const std::optional<Number>& amount);

}  // namespace PhotoSearchTexts
