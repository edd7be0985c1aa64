// SPDX-License-Identifier: MIT
#include "gui/run_companion.h"

#include "domain/files/file_write_texts.h"
#include "domain/journal/journal.h"
#include "domain/platform/platform.h"
#include "domain/roster/job_companion.h"
#include "gui/run_journal.h"
#include "gui/run_photos.h"
#include "gui/window_registry.h"

#include <QDir>
#include <QFileInfo>

namespace RunCompanionTexts {
const QString kNotSaved = QStringLiteral(
    "ジョブのデータは保存しましたが、名簿と写真フォルダーのファイル %1 "
    "を保存できませんでした。\n%2");
}  // namespace RunCompanionTexts

namespace {

void openPhotoFolderOf(RunContext& context) {
    const QString& photos = context.companion.photoFolder;
    if (!photos.isEmpty() && QFileInfo(photos).isDir())
        runPhotoFolder(context).open(photos);
}

}  // namespace

void loadRunCompanion(RunContext& context, const QString& jobFilePath) {
    JobCompanionLoad load = loadJobCompanion(jobFilePath);
    // A roster read in on the setup screen stays for a job that has none.
    if (load.companion.roster.isEmpty() && load.companion.ties.empty())
        load.companion.roster = context.companion.roster;
    context.companion = std::move(load.companion);
    context.slipTies.tieOpenSlip(std::nullopt);
    context.slipTies.resync(int(context.job.personCount));
    context.companionFile = {jobFilePath, load.fileDigest};
    if (!load.problem.isEmpty())
        context.platform.showMessage(load.problem);
    openPhotoFolderOf(context);
    recordCompanionInJournal(context);
}

void restoreRunCompanion(RunContext& context, const QByteArray& companionBytes) {
    JobCompanionRead read = readJobCompanion(companionBytes);
    if (!read.companion)
        return;  // the journal's own check passed it: nothing else can be done
    context.companion = std::move(*read.companion);
    openPhotoFolderOf(context);
}

void saveRunCompanion(RunContext& context, const QString& jobFilePath) {
    const QString path = jobCompanionPath(jobFilePath);
    if (context.companion.isEmpty() && !QFileInfo::exists(path))
        return;  // a job as it always was: no file of its own
    const QByteArray known = context.companionFile.jobFilePath == jobFilePath
                                 ? context.companionFile.digest
                                 : QByteArray();
    const FileWriteOutcome outcome = saveJobCompanion(jobFilePath, context.companion, known);
    if (outcome.ok()) {
        context.companionFile = {jobFilePath, contentDigest(jobCompanionBytes(context.companion))};
        return;
    }
    const QString cause = outcome.step == FileStep::TargetChanged
                              ? FileWriteTexts::kTargetChanged
                              : FileWriteTexts::causeText(outcome.fault, outcome.systemError);
    context.platform.showMessage(
        RunCompanionTexts::kNotSaved.arg(QDir::toNativeSeparators(path), cause));
}

void untieOpenSlipForNewRoster(RunContext& context) {
    if (!context.slipTies.openSlip())
        return;
    recordInJournal(context, JournalEntry::tie(std::nullopt, std::nullopt));
    context.slipTies.tieOpenSlip(std::nullopt);
}
