// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct RunContext;

// The job's companion file (the roster, its ties and the photo folder) as
// a run keeps it: loaded with the job file, saved with it.

// After the job file at path has loaded: its companion into the run, the
// photo folder it names opened again (when it is there), a damaged one told.
void loadRunCompanion(RunContext& context, const QString& jobFilePath);

// The companion a restored run had (its journal's): into the run, the photo
// folder it names opened again.
void restoreRunCompanion(RunContext& context, const QByteArray& companionBytes);

// After the job file at path has been saved: the companion beside it, when
// the run has anything for it or there is one there already; a failure is
// told (the job file stays saved).
void saveRunCompanion(RunContext& context, const QString& jobFilePath);

// Another roster has come in: the open slip's tie (a place in the old
// one) is taken off, and the journal says so.
void untieOpenSlipForNewRoster(RunContext& context);

namespace RunCompanionTexts {
extern const QString kNotSaved;  // %1: the file, %2: the cause
}  // namespace RunCompanionTexts
