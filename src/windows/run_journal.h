// SPDX-License-Identifier: MIT
#pragma once

struct JournalContents;
struct JournalEntry;
struct RunContext;

// The windows' side of the run's journal: what the operator does on the
// input and correction screens is written before it is carried out. The
// journal starts with the first thing done to the job, holding the job as
// it is then. When writing fails the operator is told once, and the work
// goes on without a journal.
void recordInJournal(RunContext& context, const JournalEntry& entry);

// The job file was saved; complete when it held every print.
void markSavedInJournal(RunContext& context, bool complete);

// The run ends without saving, as the operator chose: its journal is kept
// aside, like one the operator declined to restore, and not offered again.
void setAsideRunJournal(RunContext& context);

// After a restore: the journal goes on from its last whole entry.
void resumeJournal(RunContext& context, const JournalContents& contents);

#include <QString>

namespace RunJournalTexts {
extern const QString kWriteFailed;
}  // namespace RunJournalTexts
