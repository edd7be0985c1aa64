// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

#include <QByteArray>
#include <QStringList>

// What the operator does next with a job just loaded, through the same
// domain procedures the windows call: opens the input screen (the history
// counted and drawn), pages the history both ways, keys a pupil and closes
// them, corrects a registered pupil (looks them up, adds a photo number and
// deletes it again, tries a number beyond every range), builds the three
// reports, and saves the job, which must load back as the same job.
//
// Any fault of memory or arithmetic shows under the sanitizers; what goes
// wrong otherwise is returned, one line each (empty when all went as it
// should). Used by the damaged-file tests and the job file fuzz target, so
// it needs Qt Core only.
struct StepsAfterLoad {
    QStringList problems;
    QByteArray saved;  // the job file the save wrote
};

StepsAfterLoad runStepsAfterLoad(JobState& job);
