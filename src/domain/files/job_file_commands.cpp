// SPDX-License-Identifier: MIT
#include "domain/files/job_file_commands.h"

#include "domain/files/file_replacement.h"
#include "domain/platform/platform.h"

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

QByteArray jobFileDigest(const JobState& job) {
    return contentDigest(jobFileContents(job).bytes);
}

bool hasUnsavedWork(const JobState& job, const KnownJobFile& known) {
    if (!job.pendingEntry.isEmpty())
        return true;
    if (known.savedDigest.isEmpty())
        return job.personCount > 0;
    return jobFileDigest(job) != known.savedDigest;
}

QByteArray unchangedDigestFor(const QString& path, const KnownJobFile& known) {
    if (known.path.isEmpty() || known.fileDigest.isEmpty())
        return {};
    const QFileInfo chosen(path);
    const QFileInfo knownFile(known.path);
    const bool same =
        chosen.absoluteFilePath() == knownFile.absoluteFilePath() ||
        (chosen.exists() && chosen.canonicalFilePath() == knownFile.canonicalFilePath());
    return same ? known.fileDigest : QByteArray();
}

bool changedElsewhere(const QString& path, const KnownJobFile& known) {
    const QByteArray digest = unchangedDigestFor(path, known);
    if (digest.isEmpty())
        return false;
    // A file that is gone holds nobody's work to lose; one that cannot be
    // read is not known to be unchanged.
    int error = 0;
    const QByteArray now = fileContentDigest(path, &error);
    return error != 0 || (!now.isEmpty() && now != digest);
}

QString freeNameBeside(const QString& path) {
    const QFileInfo file(path);
    const QString suffix = file.suffix().isEmpty() ? QString() : u'.' + file.suffix();
    const QString base = file.absolutePath() + u'/' + file.completeBaseName();
    for (int n = 2;; ++n) {
        const QString candidate = base + u'_' + QString::number(n) + suffix;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

SaveCommandOutcome saveJobFileCommand(const JobState& job, Platform& platform,
                                      const QString& suggestedPath, const KnownJobFile& known) {
    SaveCommandOutcome outcome;
    outcome.path = platform.chooseFileToSave(JobFileDialogTexts::kSaveCaption, suggestedPath,
                                             jobFileSaveFilters());
    while (!outcome.path.isEmpty()) {
        // The save looks at the file just before it replaces it.
        outcome.result = saveJobFile(outcome.path, job, unchangedDigestFor(outcome.path, known));
        if (!outcome.result.changedElsewhere) {
            outcome.cancelled = false;
            if (!outcome.result.message.isEmpty())
                platform.showMessage(outcome.result.message);
            return outcome;
        }
        const QString when =
            fileStamp(outcome.path).modified().toLocalTime().toString(u"yyyy/MM/dd HH:mm:ss");
        const int answer = platform.askChoice(
            JobFileDialogTexts::kChangedElsewhere.arg(QDir::toNativeSeparators(outcome.path), when),
            {JobFileDialogTexts::kSaveUnderAnotherName, JobFileDialogTexts::kCancel}, 0, 1);
        if (answer != 0)
            break;
        outcome.path = platform.chooseFileToSave(
            JobFileDialogTexts::kSaveCaption, freeNameBeside(outcome.path), jobFileSaveFilters());
    }
    outcome.path.clear();
    outcome.result = {};
    return outcome;
}
