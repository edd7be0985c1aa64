// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class JournalStore;
struct RunContext;

// The start of a run with a journal: journals that could not be read are
// reported; when an earlier run left unsaved changes, the operator is asked
// whether to restore them. Yes: the input screen opens on the restored job
// and the journal goes on. No: that journal is set aside and the run starts
// afresh on the start screen, as does a run with nothing to restore. The
// run's journal (context.journal) is given its file in the store.
// A job file given is loaded on the setup screen of a fresh run.
void startRunWithJournal(RunContext& context, JournalStore& store,
                         const QString& jobFile = QString());

// The question asked before a restore. %1 customer, %2 event, %3 pupils
// registered, %4 a note on an open pupil (or nothing), %5 the time of the
// last change, %6 notes on a journal that is damaged or incomplete (or
// nothing).
namespace RunStartTexts {
extern const QString kRestoreQuestion;
extern const QString kOpenPupilNote;
extern const QString kIncompleteNote;
extern const QString kDamagedNote;  // %1 entries not restored, %2 the copy kept
}  // namespace RunStartTexts
