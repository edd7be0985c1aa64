#include "domain/job_file_commands.h"

#include "domain/platform.h"

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
    const QString name = defaultJobFileName(job);
    if (!lastUsedPath.isEmpty())
        return QFileInfo(lastUsedPath).absoluteDir().filePath(name);
    if (!fallbackFolder.isEmpty())
        return QDir(fallbackFolder).filePath(name);
    return name;
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
