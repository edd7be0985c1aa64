// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"
#include "gui/setup/job_settings_widgets.h"

// Fills the job-settings controls of a window from the job as it is: the
// setup screen after a load, the settings view on every activation.
//
// Setting a box's text runs its change handling when the text really
// changes, and selecting an option button that was not selected runs its
// click handling, as the program's own setting of a control does. Each value
// is read from the job at the moment its control is set, so a handler that
// changes the job on the way is followed.
//
// A size that is switched off has its row hidden (never shown again by the
// filling); the small row is filled whenever large or medium is set up or
// switched off.
void FillJobSettingsControls(const JobSettingsWidgets& controls, const JobState& job);

// Gives every job-settings box of a window the name a screen reader reads
// for it, made of the labels that stand for it on the window: its row and
// its column ("ネガ（大） 始めのNo."), or its own label ("得意先").
void nameJobSettingsBoxes(const JobSettingsWidgets& controls);
