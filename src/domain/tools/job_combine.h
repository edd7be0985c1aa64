// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"
#include "domain/roster/job_companion.h"

#include <optional>

#include <QList>
#include <QString>

class Platform;

// Combining jobs keyed on several PCs: the registered pupils of another job
// file set up the same way are appended after the last registered pupil of
// the open job, renumbered in order, and their prints added to the counts
// and totals, as if they had been keyed here after the job's own pupils.

// Why nothing can be combined while a pupil is open (being keyed, not yet
// closed with "/"), or nothing when no pupil is open.
std::optional<QString> openPupilRefusal(const JobState& job);

// Why other cannot be added to job, or nothing when it can: a pupil open,
// no pupil in other, a size whose setting, range or unit price differs, more
// pupils than a job holds, or a count beyond what its field holds.
std::optional<QString> combineRefusal(const JobState& job, const JobState& other);

// Whether the two jobs set up their sizes alike: each size's setting,
// range and unit price, read as numbers.
bool sameSizes(const JobState& job, const JobState& other);

// Appends other's registered pupils to job, each record's label renumbered
// to its new place, and adds other's counts and totals. Only for jobs that
// combineRefusal lets pass.
void combineJobs(JobState& job, const JobState& other);

// A run of other's pupils that stands in job already, in the same order:
// other's pupils fileFirst.. and job's pupils jobFirst.., length of each.
struct PupilRun {
    int fileFirst = 0;
    int jobFirst = 0;
    int length = 0;
    friend bool operator==(const PupilRun&, const PupilRun&) = default;
};

// The runs of other's pupils, two or more in a row (or other's one pupil),
// whose orders stand in job already in the same order, the longest first
// and none sharing a pupil: a file saved on another PC from a copy of this
// job holds this job's pupils first; a file added before, all of its own.
// Single pupils that happen to order the same are not runs.
QList<PupilRun> pupilsAlreadyIn(const JobState& job, const JobState& other);

// The question put before combining: the file's name, its customer and
// event, its pupils and where they go, its prints per size and in all; a
// warning naming each of customer, event and shooting date that differs
// from the job's, with both values; a warning when the job already holds
// exactly those pupils in a row (the same file twice), or else runs of them
// (pupilsAlreadyIn: how many, and which); and a note of the load (bytes
// that were replaced) when there is one.
struct CombineQuestion {
    QString text;
    bool warns = false;  // it carries a warning: Enter must answer no
};

// What combining does with the file's ties to its roster (its companion,
// none when it has none), told when the two jobs' rosters differ: this job
// has none (the file's is taken, with its ties, when it ties anyone), the
// file has none (its pupils come untied), or they hold other pupils (each
// tie goes to this job's pupil of the same grade, class and number, or ID,
// as carryCombinedTies carries it, and how many find none is told: a
// warning). Empty when both rosters hold the same pupils, or neither has one.
struct CombineRosterNote {
    QString text;
    bool warns = false;
};
CombineRosterNote combineRosterNote(const JobCompanion& ours,
                                    const std::optional<JobCompanion>& theirs, const JobState& job,
                                    const JobState& other);

// The question, the roster note (when there is one) after its warnings and
// before the load's note.
CombineQuestion combineQuestion(const QString& path, const JobState& job, const JobState& other,
                                const QString& loadNote = {},
                                const CombineRosterNote& rosterNote = {});

// The combine command up to the operator's yes: refuses while a pupil is
// open, asks for a job file, loads it into a job of its own with the same
// checks as loading, checks it against job and asks whether to add it
// (Enter answering no when the question carries a warning), telling what
// becomes of its ties when its roster differs from companion's (the job's).
// Returns the job to add (and its file in *chosenPath); nothing when the
// operator cancelled or the file was refused (the operator has been told
// why). job is not changed.
std::optional<JobState> chooseJobToCombine(const JobState& job, Platform& platform,
                                           QString* chosenPath = nullptr,
                                           const JobCompanion& companion = JobCompanion{});

namespace JobCombineTexts {
extern const QString kDialogCaption;
extern const QString kPupilOpen;           // %1: prints of the open pupil
extern const QString kNoPupils;            // %1: the file's name
extern const QString kModeDiffers;         // %1: size, %2: this job's, %3: the file's
extern const QString kRangeDiffers;        // the same
extern const QString kPriceDiffers;        // the same
extern const QString kTooManyPupils;       // %1: pupils combined, %2: the most a job holds
extern const QString kCountTooLarge;       // %1: photo number, %2: this job's, %3: the file's count
extern const QString kSmallTotalTooLarge;  // %1: this job's, %2: the file's
extern const QString kSamePupils;        // %1: the file's pupils, %2, %3: the job's first and last
extern const QString kSomePupils;        // %1: pupils in runs, %2: one kPupilRun line per run
extern const QString kPupilRun;          // %1: the file's pupils, %2: the job's ("3～5")
extern const QString kMoreRuns;          // %1: runs not listed
extern const QString kHeaderDiffers;     // %1: one kHeaderDifference line per field
extern const QString kHeaderDifference;  // %1: field, %2: this job's, %3: the file's
extern const QString kCustomerField;
extern const QString kEventField;
extern const QString kDateField;
extern const QString kNotCombined;  // the closing line of every refusal
extern const QString kQuestion;     // %1 file, %2 customer, %3 event, %4 pupils, %5 first, %6 last,
                                    // %7 prints per size, %8 prints in all
extern const QString kRosterTaken;  // %1: the file's roster's pupils, %2: its ties
extern const QString kRosterNotTaken;  // %1: the file's roster's pupils
extern const QString kNoRosterThere;   // %1: the file's pupils
extern const QString kRostersDiffer;   // %1: this job's roster's pupils, %2: the file's
extern const QString kNoTiesThere;
extern const QString kAllTiesFound;  // %1: the file's ties
extern const QString kTiesLost;      // %1: the file's ties, %2: those that find no pupil
}  // namespace JobCombineTexts
