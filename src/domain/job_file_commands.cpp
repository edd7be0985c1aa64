// SPDX-License-Identifier: MIT
#include "domain/job_file_commands.h"

#include "domain/file_replacement.h"
#include "domain/platform.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

QStringList jobFileOpenFilters() {
    return {JobFileDialogTexts::kAllFilesFilter, JobFileDialogTexts::kJobFilesFilter};
}

QStringList jobFileSaveFilters() {
    return {JobFileDialogTexts::kJobFilesFilter};
}

QString suggestedJobFilePath(const JobState& job, const QString& lastUsedPath,
                             const QString& fallbackFolder) {
    if (!lastUsedPath.isEmpty())
        return QFileInfo(lastUsedPath).absoluteFilePath();
    if (fallbackFolder.isEmpty())
        return defaultJobFileName(job);
    const int longest = std::min(longestFileName(fallbackFolder), 255);
    return QDir(fallbackFolder).filePath(defaultJobFileName(job, longest - 4));
}

SaveCommandOutcome saveJobFileCommand(const JobState& job, Platform& platform,
                                      const QString& suggestedPath) {
    SaveCommandOutcome outcome;
    outcome.path = platform.chooseFileToSave(JobFileDialogTexts::kSaveCaption, suggestedPath,
                                             jobFileSaveFilters());
    if (outcome.path.isEmpty())
        return outcome;
    outcome.cancelled = false;
    outcome.result = saveJobFile(outcome.path, job);
    if (!outcome.result.message.isEmpty())
        platform.showMessage(outcome.result.message);
    return outcome;
}
