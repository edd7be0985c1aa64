// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/file_replacement.h"
#include "domain/roster/roster.h"

#include <map>
#include <optional>

#include <QByteArray>
#include <QString>

// What a job knows beyond its job file, kept in a file of its own beside it
// (NAME.ptl.pictor), so that the job file stays byte for byte what other
// PCs and older versions read: the school's roster, which registered pupil
// is which roster pupil, and the job's photo folder. UTF-8 JSON with a
// format number; a job without one is a job as it always was.
struct JobCompanion {
    Roster roster;
    std::map<int, int> ties;  // a registered pupil's number -> the roster pupil's index
    QString photoFolder;

    bool isEmpty() const { return roster.isEmpty() && ties.empty() && photoFolder.isEmpty(); }
    friend bool operator==(const JobCompanion& a, const JobCompanion& b) {
        return a.roster.pupils() == b.roster.pupils() && a.ties == b.ties &&
               a.photoFolder == b.photoFolder;
    }
};

inline constexpr int kJobCompanionFormat = 1;
// A companion larger than this is no job's (a roster of a whole city's
// schools is a few MB): refused unread.
inline constexpr qint64 kMaxJobCompanionBytes = 32 * 1024 * 1024;

// NAME.ptl.pictor beside NAME.ptl.
QString jobCompanionPath(const QString& jobFilePath);

QByteArray jobCompanionBytes(const JobCompanion& companion);

// The companion the bytes hold, or why they hold none: not JSON, a format
// this version does not know, a tie to a pupil the roster does not have.
struct JobCompanionRead {
    std::optional<JobCompanion> companion;
    QString problem;  // for the operator
};
JobCompanionRead readJobCompanion(const QByteArray& bytes);

// The companion of the job file at jobFilePath. None there: an empty one,
// as a job has always been. A damaged one is renamed aside
// (NAME.ptl.pictor.damaged, or "(2)" ... beside one there) and an empty one
// given, with the problem and where the damaged file went told.
struct JobCompanionLoad {
    JobCompanion companion;
    QString problem;        // empty when it loaded, or there was none
    QString setAside;       // where a damaged one was put
    QByteArray fileDigest;  // contentDigest of the bytes read, for a save back
};
JobCompanionLoad loadJobCompanion(const QString& jobFilePath);

// Writes the companion of the job file at jobFilePath as the job file is
// written: whole or not at all, its previous contents kept as .bak, never
// over another program's change (unchangedDigest, as replaceFile takes it).
// An empty companion removes none that is there: it is written empty.
FileWriteOutcome saveJobCompanion(const QString& jobFilePath, const JobCompanion& companion,
                                  const QByteArray& unchangedDigest = {});

// The companion beside the job file at jobFilePath, read and left as it is
// (another PC's, say): none when there is none or it does not read.
std::optional<JobCompanion> readJobCompanionBeside(const QString& jobFilePath);

// The ties of a job combined into ours, whose pupils now follow ours from
// firstNewPupil on. Each tie of theirs goes to our roster's pupil of the
// same grade, class and number, or of the same ID; with no roster of ours,
// theirs is taken whole, its ties renumbered. Returns how many of their
// ties found no pupil in our roster (those pupils stay untied).
int carryCombinedTies(JobCompanion& ours, const JobCompanion& theirs, int firstNewPupil);

namespace JobCompanionTexts {
extern const QString kNotJson;      // %1: where the reading stopped
extern const QString kNewerFormat;  // %1: the format
extern const QString kBadPupil;     // %1: the pupil's place in the roster
extern const QString kBadTie;       // %1: the registered pupil
extern const QString kTooLarge;
extern const QString kDamaged;         // %1: the problem, %2: where the file was put
extern const QString kTiesNotCarried;  // %1: how many
}  // namespace JobCompanionTexts
