// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct RunContext;

// The start of a run: the start screen, which opens the job setup screen.
// A job file given (from the command line or the file manager) is then
// loaded there exactly as the load button loads one.
void startProgram(RunContext& context, const QString& jobFile = QString());
