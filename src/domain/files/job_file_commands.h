// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/job_file_writer.h"
#include "domain/job/job_state.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class Platform;

// The file dialogs of loading and saving, and the save command.
namespace JobFileDialogTexts {
inline const QString kAllFilesFilter = QStringLiteral("すべてのファイル(*.*)");
inline const QString kJobFilesFilter = QStringLiteral("標準ファイル(*.ptl)");
inline const QString kOpenCaption = QStringLiteral("データ読み込み");
inline const QString kSaveCaption = QStringLiteral("データ保存");
// %1: the file, %2: when it was last written.
inline const QString kChangedElsewhere = QStringLiteral(
    "「%1」は、\n"
    "このピクトルで読み込んだ（または保存した）後に、\n"
    "ほかのプログラムによって書き換えられています（%2 更新）。\n"
    "このまま保存すると、そちらで保存されたデータが失われます。"
    "別の名前で保存してください。");
inline const QString kSaveUnderAnotherName = QStringLiteral("別の名前で保存");
inline const QString kCancel = QStringLiteral("キャンセル");
}  // namespace JobFileDialogTexts

// The open dialog's filter list: all files, then job files.
QStringList jobFileOpenFilters();

// The save dialog's filter list: job files.
QStringList jobFileSaveFilters();

// What the save dialog proposes: the job file last loaded or saved in this
// run (lastUsedPath, as a full path), so that saving again writes back to
// the file being worked on; for a job never loaded or saved,
// defaultJobFileName(job) in fallbackFolder, kept within the longest name
// that folder's file system holds.
QString suggestedJobFilePath(const JobState& job, const QString& lastUsedPath,
                             const QString& fallbackFolder);

// The job file this run works on, as it was when the run last loaded or
// saved it; empty before either.
struct KnownJobFile {
    QString path;
    QByteArray fileDigest;   // contentDigest of the file's bytes then
    QByteArray savedDigest;  // jobFileDigest of the job the file holds
};

// A digest of what a job file written now would hold.
QByteArray jobFileDigest(const JobState& job);

// Whether the job holds work that no job file has: an open pupil, or a job
// that differs from the one last loaded or saved; a job never loaded or
// saved has such work once a pupil is registered in it.
bool hasUnsavedWork(const JobState& job, const KnownJobFile& known);

// Whether saving to path would write over another program's work: path is
// the known file, and that file no longer holds the bytes this run loaded
// or saved (its times and file number may change with nothing written).
bool changedElsewhere(const QString& path, const KnownJobFile& known);

// The digest that a save to path must find there (saveJobFile): the known
// file's, when path is the known file; empty otherwise.
QByteArray unchangedDigestFor(const QString& path, const KnownJobFile& known);

// A name beside path that no file has yet ("NAME_2.ptl", "NAME_3.ptl", …).
QString freeNameBeside(const QString& path);

// What came of the save command.
struct SaveCommandOutcome {
    bool cancelled = true;     // the operator cancelled the dialog: nothing was written
    QString path;              // the file chosen
    JobFileSaveResult result;  // when not cancelled
};

// The save command: asks for a file name (suggesting suggestedPath), saves
// the job there and shows the result's message when it has one (why nothing
// was saved, or the remarks on what was saved). A cancelled dialog does
// nothing. When the file chosen is the known one and another program has
// written it since, it is not written over: the operator is told when it
// changed and may save under another name (a free one beside it is
// proposed) or cancel.
SaveCommandOutcome saveJobFileCommand(const JobState& job, Platform& platform,
                                      const QString& suggestedPath, const KnownJobFile& known = {});
