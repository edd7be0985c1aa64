#pragma once

struct AppContext;

// The start of a run: the start screen, which opens the job setup screen.
void startProgram(AppContext& context);

// Ends the run at once: the event loop stops without any window's close
// handling running and without saving anything.
void endProgramAtOnce();
