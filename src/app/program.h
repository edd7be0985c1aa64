// SPDX-License-Identifier: MIT
#pragma once

#include "app/window_roles.h"
#include "domain/job/job_state.h"
#include "domain/journal/journal.h"
#include "gui/window_registry.h"

#include <QString>

// Everything one run owns: the job, the platform, the journal and the
// windows. The windows go first when the run ends, while the rest is still
// there. The journal is used once the composition puts it into the context.
template <class PlatformType>
struct Program {
    explicit Program(const QString& programDirectory = QString())
        : context{job, platform, windows, programDirectory} {
        installWindowRoles();
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    JobState job;
    PlatformType platform;
    JournalWriter journal;
    RunContext context;
    WindowRegistry windows{context};
};
