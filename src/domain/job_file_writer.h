#pragma once

#include "domain/job_file_format.h"
#include "domain/job_state.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

// A text (or number) that the job file could not hold as it was, and what
// was written in its place.
struct JobFileSubstitution {
    JobFileSection section = JobFileSection::Header;  // Header (position) or Record (person slot)
    int index = 0;
    QString original;
    QString written;
};

// The bytes of a job file for a job, and what had to be changed to write it.
struct JobFileContents {
    bool ok = false;  // false only if the encoder failed on text already made writable
    QByteArray bytes;
    QList<JobFileSubstitution> substitutions;
    int pendingPrintsLeftOut = 0;  // prints of the open entry, not written
};

// What became of a save.
struct JobFileSaveResult {
    bool saved = false;

    // For the operator: when the save failed, why (the previous file is then
    // untouched); when it succeeded, the remarks on it (texts written with
    // substitutes, the open entry left out), or empty when there are none.
    QString message;

    // The system's own description of a failure (part of message).
    QString error;

    QList<JobFileSubstitution> substitutions;
    int pendingPrintsLeftOut = 0;

    // The copy of the file that was replaced ("NAME.bak"); empty when there
    // was no previous file (or nothing was saved).
    QString backupPath;
};

// The job as a job file: the 21 header fields on the first line (positions 1
// to 4 in double quotes, the others unquoted in plain decimal), then the
// print counts of photo numbers 1 to 10000 and the records of person slots 1
// to 1500, one field a line, records in double quotes and slots that hold no
// registered person as empty texts; CP932, CR LF.
//
// Only registered persons are saved: the prints of the open entry, which are
// already in printCounts and the totals, are taken out of the counts and
// totals written, so the file's counts equal the photo numbers of its
// records. The job itself is not changed; the open entry stays open.
//
// A double quote cannot stand inside a quoted text, and CP932 lacks many
// characters: such characters are written as a visible substitute ("＂" for
// the double quote, a full-width look-alike where CP932 has one, "〓"
// otherwise) and listed in the substitutions.
JobFileContents jobFileContents(const JobState& job);

// Writes the job file to an open device, checking every write.
JobFileSaveResult writeJobFile(QIODevice* device, const JobState& job);

// Saves the job file at path through a temporary file that replaces the
// target only when everything was written. A file already at path is first
// copied to backupPathFor(path), replacing an older copy. On any failure the
// file at path is left as it was.
JobFileSaveResult saveJobFile(const QString& path, const JobState& job);

// "NAME.bak" beside the file: the path with ".bak" appended.
QString backupPathFor(const QString& path);

// The text as the job file can hold it; *changed tells whether anything was
// substituted.
QString writableJobFileText(const QString& text, bool* changed = nullptr);

// A file name to offer when saving: customer and event name, made safe for
// file names, with the extension ".ptl" ("ピクトル.ptl" when both are empty).
QString defaultJobFileName(const JobState& job);

// Message texts.
namespace JobFileSaveMessages {
extern const QString kOpenFailed;         // %1: path, %2: system error
extern const QString kWriteFailed;        // %1: path, %2: system error
extern const QString kBackupFailed;       // %1: path, %2: backup path, %3: system error
extern const QString kCommitFailed;       // %1: path, %2: system error
extern const QString kEncodeFailed;       // %1: path
extern const QString kDeviceFailed;       // %1: system error
extern const QString kSubstituted;        // %1: the list of changed fields
extern const QString kPendingLeftOut;     // %1: prints of the open entry
extern const QString kMoreSubstitutions;  // %1: substitutions not listed
constexpr int kListedSubstitutions = 10;  // listed one by one; the rest counted
QString substitutionLine(const JobFileSubstitution& substitution);
}  // namespace JobFileSaveMessages
