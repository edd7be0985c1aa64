// SPDX-License-Identifier: MIT
#include "app/run_start.h"

#include "app/start.h"
#include "domain/journal/journal.h"
#include "domain/journal/journal_store.h"
#include "domain/platform/platform.h"
#include "gui/input/form1.h"
#include "gui/window_registry.h"

#include <QDir>

const QString RunStartTexts::kRestoreQuestion = QStringLiteral(
    "前回の作業に、保存されていない入力が残っています。\n\n"
    "得意先名：%1\n"
    "行事名：%2\n"
    "登録済みの人数：%3人%4\n"
    "最後の入力：%5\n%6\n"
    "この入力を復元して続けますか？\n"
    "（「いいえ」のときは、この記録を別の名前で残して新しく始めます。）");
const QString RunStartTexts::kOpenPupilNote = QStringLiteral("（ほかに入力中の人があります）");
const QString RunStartTexts::kIncompleteNote = QStringLiteral(
    "\n※前回は途中から記録を書き込めなくなっていたため、"
    "最後のほうの入力や保存が含まれていないことがあります。\n");
const QString RunStartTexts::kDamagedNote = QStringLiteral(
    "\n※記録の途中が壊れていたため、壊れた箇所から後の入力（記録%1件分）は復元されません。"
    "元の記録は次の名前で残してあります。\n%2\n");

namespace {

QString restoreQuestion(const JournalStore::Leftover& leftover, const QString& programDirectory) {
    const JournalContents& contents = leftover.contents;
    const JobState job = replayJournal(contents, programDirectory);
    QString notes;
    if (contents.damaged)
        notes += RunStartTexts::kDamagedNote.arg(
            QString::number(contents.framesAfterDamage + 1),
            QDir::toNativeSeparators(leftover.keptCopy.isEmpty() ? leftover.path
                                                                 : leftover.keptCopy));
    if (contents.incomplete)
        notes += RunStartTexts::kIncompleteNote;
    return RunStartTexts::kRestoreQuestion.arg(
        job.customerName.toText(), job.eventName.toText(), plainDecimal(job.personCount),
        job.pendingEntry.isEmpty() ? QString() : RunStartTexts::kOpenPupilNote,
        contents.lastChange.toString(QStringLiteral("yyyy/MM/dd HH:mm")), notes);
}

QString overtakenMessage(const JournalStore::SetAside& aside) {
    return JournalStoreTexts::kOvertaken.arg(
        aside.customer, aside.event, QString::number(aside.pupils),
        QDir::toNativeSeparators(aside.path), QDir::toNativeSeparators(aside.jobFilePath));
}

QString declinedMessage(const JournalStore::SetAside& aside) {
    return JournalStoreTexts::kDeclined.arg(aside.customer, aside.event,
                                            QString::number(aside.pupils),
                                            QDir::toNativeSeparators(aside.path));
}

}  // namespace

void startRunWithJournal(RunContext& context, JournalStore& store, const QString& jobFile) {
    const JournalStore::Scan scan = store.scan();
    for (qsizetype i = 0; i < scan.unreadable.size(); ++i)
        context.platform.showMessage(
            JournalStoreTexts::kUnreadable.arg(scan.unreadable[i], scan.unreadableReasons[i]));
    for (const JournalStore::SetAside& aside : scan.overtaken)
        context.platform.showMessage(overtakenMessage(aside));

    if (scan.restorable) {
        const JournalStore::Leftover& leftover = *scan.restorable;
        if (context.platform.askQuestion(restoreQuestion(leftover, context.programDirectory))) {
            if (context.journal)
                context.journal->setPath(store.claim(leftover.slot));
            context.job = leftover.contents.start;
            Form1& form1 = context.windows.get<Form1>();
            form1.restoreJournal(leftover.contents);
            form1.show();
            form1.switchOffListInputMethod();
            return;
        }
        if (const std::optional<JournalStore::SetAside> aside = store.setAside(leftover))
            context.platform.showMessage(declinedMessage(*aside));
    }
    if (context.journal)
        context.journal->setPath(store.claim());
    startProgram(context, jobFile);
}
