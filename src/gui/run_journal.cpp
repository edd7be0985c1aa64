// SPDX-License-Identifier: MIT
#include "gui/run_journal.h"

#include "domain/journal/journal.h"
#include "domain/platform/platform.h"
#include "domain/roster/job_companion.h"
#include "gui/window_registry.h"

const QString RunJournalTexts::kWriteFailed = QStringLiteral(
    "入力の記録（異常終了や停電のときに入力を復元するための控え）を書き込めなくなりました。"
    "入力はこのまま続けられますが、こまめにデータ保存をしてください。");
const QString RunJournalTexts::kWriteFailedLine = QStringLiteral(
    "入力の記録（復元用の控え）を書き込めません。こまめにデータ保存をしてください。");

namespace {

void tellFailure(RunContext& context) {
    // A message box would close at the next Enter, unread, and take the
    // keys typed meanwhile: the input screen shows a line instead.
    if (context.showJournalWarning && context.showJournalWarning())
        return;
    if (context.journal->takeFailureNotice())
        context.platform.showMessage(RunJournalTexts::kWriteFailed);
}

// A sync that fails after the entry was recorded (the sync thread's) is
// told the same way, once the key handling has taken it in.
void watchLateFailures(RunContext& context) {
    if (!context.journal->hasOnLateFailure())
        context.journal->setOnLateFailure([&context] { tellFailure(context); });
}

}  // namespace

void recordInJournal(RunContext& context, const JournalEntry& entry) {
    if (!context.journal)
        return;
    watchLateFailures(context);
    context.journal->record(entry, context.job);
    tellFailure(context);
}

void markSavedInJournal(RunContext& context, bool complete, const QString& path) {
    JournalWriter* journal = context.journal;
    if (!journal)
        return;
    watchLateFailures(context);
    journal->noteJobFile(path,
                         path == context.jobFile.path ? context.jobFile.fileDigest : QByteArray());
    journal->markSaved(complete);
    // A save is the moment to start a journal that failed again.
    journal->retry();
    tellFailure(context);
}

void noteJobFileInJournal(RunContext& context, const QString& path) {
    if (context.journal)
        context.journal->noteJobFile(
            path, path == context.jobFile.path ? context.jobFile.fileDigest : QByteArray());
}

void recordCompanionInJournal(RunContext& context) {
    if (context.journal && !context.companion.isEmpty())
        context.journal->recordCompanion(jobCompanionBytes(context.companion));
}

void setAsideRunJournal(RunContext& context) {
    if (context.journal)
        context.journal->setAside();
}

void resumeJournal(RunContext& context, const JournalContents& contents) {
    if (!context.journal)
        return;
    watchLateFailures(context);
    context.journal->resume(contents);
    tellFailure(context);
}
