// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct JournalContents;
struct JournalEntry;
struct RunContext;

// The windows' side of the run's journal: what the operator does on the
// input and correction screens is written before it is carried out. The
// journal starts with the first thing done to the job, holding the job as
// it is then. When writing fails the work goes on: the input screen shows
// a lasting warning while keyed work is at risk (or, when it is not
// showing, the operator is told once by a message), and the journal starts
// again from the job as it is at the next close of a pupil or save. A sync
// to the disk, made by the journal's own thread, that fails is told the
// same way, on the GUI thread from its event loop, a moment after the
// close that asked for it.
void recordInJournal(RunContext& context, const JournalEntry& entry);

// The job file at path was saved; complete when it held every print.
void markSavedInJournal(RunContext& context, bool complete, const QString& path = QString());

// The job file the job on the input screen was loaded from.
void noteJobFileInJournal(RunContext& context, const QString& path);

// The job's companion as it now stands (after a roster is imported, the
// photo folder chosen, the job loaded with one): kept by the journal, so a
// restore gives it back.
void recordCompanionInJournal(RunContext& context);

// Ends the run's journal without offering it again: it is set aside under
// a dated name, as a journal the operator chose not to restore.
void setAsideRunJournal(RunContext& context);

// After a restore: the journal goes on from its last whole entry.
void resumeJournal(RunContext& context, const JournalContents& contents);

namespace RunJournalTexts {
extern const QString kWriteFailed;
extern const QString kWriteFailedLine;  // the input screen's warning
}  // namespace RunJournalTexts
