// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job_file_writer.h"
#include "domain/job_state.h"

#include <QString>
#include <QStringList>

class Platform;

// The file dialogs of loading and saving, and the save command.
namespace JobFileDialogTexts {
inline const QString kAllFilesFilter = QStringLiteral("すべてのファイル(*.*)");
inline const QString kJobFilesFilter = QStringLiteral("標準ファイル(*.ptl)");
inline const QString kOpenCaption = QStringLiteral("データ読み込み");
inline const QString kSaveCaption = QStringLiteral("データ保存");
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

// What came of the save command.
struct SaveCommandOutcome {
    bool cancelled = true;     // the operator cancelled the dialog: nothing was written
    QString path;              // the file chosen
    JobFileSaveResult result;  // when not cancelled
};

// The save command: asks for a file name (suggesting suggestedPath), saves
// the job there and shows the result's message when it has one (why nothing
// was saved, or the remarks on what was saved). A cancelled dialog does
// nothing.
SaveCommandOutcome saveJobFileCommand(const JobState& job, Platform& platform,
                                      const QString& suggestedPath);
