#pragma once

struct RunContext;

// The start of a run: the start screen, which opens the job setup screen.
void startProgram(RunContext& context);
