// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct RunContext;

// The tools that work in the background while the operator keys (the lab
// order and its cards, the sample sheets), as the end of the run sees them.

// Whether the run may end as far as they are concerned: when one is at
// work, the operator is asked whether to wait for it or to stop it and
// close (the keyboard on waiting). Nothing is stopped here.
bool mayStopRunTools(RunContext& context);

// Stops every tool at work and waits for it to remove what it had begun.
void stopRunTools(RunContext& context);

namespace RunToolsTexts {
extern const QString kWorking;  // %1: what is being made
extern const QString kLabOrder;
extern const QString kSampleSheets;
extern const QString kBoth;
extern const QString kWait;
extern const QString kStopAndClose;
}  // namespace RunToolsTexts
