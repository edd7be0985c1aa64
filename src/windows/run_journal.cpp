// SPDX-License-Identifier: MIT
#include "windows/run_journal.h"

#include "domain/journal.h"
#include "domain/platform.h"
#include "windows/window_registry.h"

#include <QFile>

const QString RunJournalTexts::kWriteFailed = QStringLiteral(
    "入力の記録（異常終了や停電のときに入力を復元するための控え）を書き込めなくなりました。"
    "入力はこのまま続けられますが、こまめにデータ保存をしてください。");

namespace {

void tellFailure(RunContext& context) {
    if (context.journal->takeFailureNotice())
        context.platform.showMessage(RunJournalTexts::kWriteFailed);
}

}  // namespace

void recordInJournal(RunContext& context, const JournalEntry& entry) {
    JournalWriter* journal = context.journal;
    if (!journal)
        return;
    if (!journal->isOpen() && !journal->failed())
        journal->begin(context.job);
    journal->record(entry);
    tellFailure(context);
}

void markSavedInJournal(RunContext& context, bool complete) {
    if (!context.journal || !context.journal->isOpen())
        return;
    context.journal->markSaved(complete);
    tellFailure(context);
}

void setAsideRunJournal(RunContext& context) {
    if (!context.journal)
        return;
    const QString path = context.journal->path();
    context.journal->finish();
    if (path.isEmpty() || !QFile::exists(path))
        return;
    QString aside = path;
    aside.replace(QStringLiteral(".journal"), QStringLiteral(".previous.journal"));
    QFile::remove(aside);
    QFile::rename(path, aside);
}

void resumeJournal(RunContext& context, const JournalContents& contents) {
    if (!context.journal)
        return;
    context.journal->resume(contents);
    tellFailure(context);
}
