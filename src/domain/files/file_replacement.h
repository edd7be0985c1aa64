// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/system_files.h"

#include <QByteArray>
#include <QString>

// Replacing a file on disk so that a failure at any point leaves the
// previous file (and its previous backup) whole, and success is claimed
// only once every byte is on the disk.

// Where replacing a file failed.
enum class FileStep {
    None,            // it did not fail
    Create,          // looking at the target or creating the new file beside it
    Write,           // writing the new contents
    Sync,            // getting the new contents onto the disk
    ReadPrevious,    // reading the previous file to copy it
    Backup,          // keeping the previous file as the backup
    TargetChanged,   // the target no longer holds what it held (another program wrote it)
    Replace,         // putting the new file in the target's place
    ConfirmReplace,  // getting the replacement onto the disk (the target is replaced)
};

struct FileWriteOutcome {
    FileStep step = FileStep::None;
    FileFault fault = FileFault::None;
    int systemError = 0;  // the system's number for the failing call's error, 0 if none
    QString finalPath;    // the file written: the target of a symbolic link at the path
    QString backupPath;   // the backup made; empty when there was no previous file

    bool ok() const { return step == FileStep::None; }
};

// Replaces the file at path with bytes. A symbolic link at path is followed
// and its target replaced. The new contents go to a temporary file beside
// the target, which is written without buffering, synced to the disk and
// given the previous file's permissions, owner (when running as root) and
// group; only then is the previous file kept as finalPath + backupSuffix
// (when the suffix is not empty) and the temporary file renamed over the
// target. The backup never follows a symbolic link at its name: whatever is
// there is replaced, not written through. On failure nothing at path or at
// the backup's name has changed (unless the step is ConfirmReplace) and no
// temporary file is left. A previous file that the user may not write (marked
// read-only) is not replaced. The file-size limit's signal is ignored while it
// runs, so that the limit makes the write fail instead of ending the program.
//
// With unchangedDigest (contentDigest of the file as this program last knew
// it), the target is read once more when the new file is on the disk, just
// before the backup and the rename: when it holds other bytes, nothing is
// replaced (TargetChanged). A target that is gone is no change. Times and
// file numbers are not looked at: NTFS settles a file's time when its last
// handle closes, FAT may give a renamed file a new number, network shares
// report cached times, and times of one or two seconds miss a rewrite.
//
// Before writing, removeSaveLeftovers runs on the target's folder.
FileWriteOutcome replaceFile(const QString& path, const QByteArray& bytes,
                             const QString& backupSuffix, const QByteArray& unchangedDigest = {});

// A write that failed at step with the system's error: its fault as the
// error gives it (Other where the error names none).
FileWriteOutcome failedFileWrite(FileStep step, int error, const QString& finalPath = QString());

// The SHA-256 of the bytes of the regular file at path (links followed):
// empty when there is no file there, or it cannot be read (*error then
// says why; 0 when there is none).
QByteArray fileContentDigest(const QString& path, int* error = nullptr);

// The SHA-256 of bytes, as fileContentDigest gives a file's.
QByteArray contentDigest(QByteArrayView bytes);

// Copies the regular file at source to backupPath through a temporary file
// that replaces backupPath only when the copy is whole and on the disk, with
// the source's permissions and group. replaceFile makes its backup this way
// where the file system cannot give the previous file a second name (a hard
// link), as on FAT-formatted memory cards.
FileWriteOutcome copyToBackup(const QString& source, const QString& backupPath);

// Removes from folder what saves of this program left when they were
// killed: regular files of the current user named as this program's
// temporary files (".pictor-save-" and six letters or digits) that no
// running save holds locked, and those of
// earlier versions ("NAME.ptl.XXXXXX" or "NAME.ptl.bak.XXXXXX" with six
// letters of mixed case, holding text that begins as a job file does).
// Returns how many were removed.
int removeSaveLeftovers(const QString& folder);

// The longest file name, in bytes, that the file system of folder (or of
// its nearest existing parent) holds; 255 where it cannot be asked.
int longestFileName(const QString& folder);

// The prefix of this program's temporary files.
inline const QString kSaveTemporaryPrefix = QStringLiteral(".pictor-save-");
