// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/file_replacement.h"
#include "domain/files/file_write_texts.h"
#include "domain/files/job_file_format.h"
#include "domain/job/job_state.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

// A text (or number) that the job file could not hold as it was, and what
// was written in its place.
struct JobFileSubstitution {
    JobFileSection section = JobFileSection::Header;  // Header (position) or Record (pupil slot)
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

    // Why a save failed, as the operator reads it (part of message).
    QString error;
    FileFault fault = FileFault::None;
    int systemError = 0;  // the error number of the failing call, 0 if none

    QList<JobFileSubstitution> substitutions;
    int pendingPrintsLeftOut = 0;

    // The copy of the file that was replaced ("NAME.bak"); empty when there
    // was no previous file (or nothing was saved).
    QString backupPath;

    // The SHA-256 of the bytes saved (contentDigest).
    QByteArray fileDigest;

    // Nothing was saved because the file no longer held the bytes of the
    // digest the save was given: another program wrote it.
    bool changedElsewhere = false;
};

// The job as a job file: the 21 header fields on the first line (positions 1
// to 4 in double quotes, the others unquoted in plain decimal), then the
// print counts of photo numbers 1 to 10000 and the records of pupil slots 1
// to 1500, one field a line, records in double quotes and slots that hold no
// registered pupil as empty texts; CP932, CR LF.
//
// Only registered pupils are saved: the prints of the open entry, which are
// already in printCounts and the totals, are taken out of the counts and
// totals written, so the file's counts equal the photo numbers of its
// records. The job itself is not changed; the open entry stays open.
//
// A double quote cannot stand inside a quoted text, and CP932 lacks many
// characters: such characters are written as a visible substitute ("＂" for
// the double quote, a full-width look-alike where CP932 has one, "〓"
// otherwise) and listed in the substitutions.
JobFileContents jobFileContents(const JobState& job);

// Writes the job file to an open device, checking every write (and, for a
// file, that its buffer reached the file).
JobFileSaveResult writeJobFile(QIODevice* device, const JobState& job);

// Saves the job file at path (replaceFile: the target of a symbolic link
// there; a temporary file beside it, synced to the disk and given the
// previous file's permissions and group, replaces the target only when
// everything was written). A file already at path is first kept as
// backupPathFor(path), replacing an older backup without following a link
// there. On any failure the file at path and its backup are left as they
// were, and the message tells in Japanese which step failed and why. The job
// is not changed. With unchangedDigest, the file at path must still hold the
// bytes of that digest just before it is replaced (see replaceFile); when
// it does not, nothing is saved and changedElsewhere is set.
JobFileSaveResult saveJobFile(const QString& path, const JobState& job,
                              const QByteArray& unchangedDigest = {});

// "NAME.bak" beside the file: the path with ".bak" appended.
QString backupPathFor(const QString& path);

// The text as the job file can hold it; *changed tells whether anything was
// substituted.
QString writableJobFileText(const QString& text, bool* changed = nullptr);

// The longest file name, in bytes, that the save dialog proposes: what the
// usual file systems hold (255 bytes) less the backup's ".bak".
constexpr int kMaxProposedNameBytes = 255 - 4;

// A file name to offer when saving: customer and event name, made safe for
// file names, with the extension ".ptl" ("ピクトル.ptl" when both are empty),
// cut (at whole characters, each part keeping its share) so that its
// UTF-8 takes at most maxNameBytes bytes.
QString defaultJobFileName(const JobState& job, int maxNameBytes = kMaxProposedNameBytes);

// Message texts: the job file's own, and those it shares with the other
// files the program writes (file_write_texts.h).
namespace JobFileSaveMessages {
extern const QString kEncodeFailed;    // %1: path
extern const QString kDeviceFailed;    // %1: the cause
extern const QString kDeviceRefused;   // a device (not a file) that stopped taking data
extern const QString kSubstituted;     // %1: the list of changed fields
extern const QString kPendingLeftOut;  // %1: prints of the open entry
QString substitutionLine(const JobFileSubstitution& substitution);

using FileWriteTexts::kBackupUntouched;
using FileWriteTexts::kNotReplaced;

// Steps.
using FileWriteTexts::kBackupFailed;
using FileWriteTexts::kCreateFailed;
using FileWriteTexts::kReadPreviousFailed;
using FileWriteTexts::kReplaceFailed;
using FileWriteTexts::kSyncFailed;
using FileWriteTexts::kWriteFailed;

// Causes.
using FileWriteTexts::causeText;
using FileWriteTexts::kDeviceError;
using FileWriteTexts::kDiskFull;
using FileWriteTexts::kFileReadOnly;
using FileWriteTexts::kFolderMissing;
using FileWriteTexts::kInUse;
using FileWriteTexts::kIsFolder;
using FileWriteTexts::kLinkLoop;
using FileWriteTexts::kNameTooLong;
using FileWriteTexts::kNoPermission;
using FileWriteTexts::kNotAFile;
using FileWriteTexts::kOtherError;
using FileWriteTexts::kQuotaExceeded;
using FileWriteTexts::kReadOnly;
using FileWriteTexts::kTooLarge;

using FileWriteTexts::kListedSubstitutions;
using FileWriteTexts::kMoreSubstitutions;
}  // namespace JobFileSaveMessages
