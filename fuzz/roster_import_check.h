// SPDX-License-Identifier: MIT
#pragma once

#include "domain/roster/roster_csv.h"

// What the roster's readers' targets check of the import of a table read:
// every row taken or told (unless the columns were not there at all), no
// pupil without a name, each ID finding its own pupil. fault aborts.
inline void checkRosterImport(const RosterTable& table, void (*fault)(const char*)) {
    const RosterImport import = importRoster(table, guessRosterColumns(table.headers));
    int leftOut = 0;
    for (const RosterProblem& problem : import.problems)
        leftOut += problem.leftOut ? 1 : 0;
    if ((!import.roster.isEmpty() || leftOut > 0) &&
        import.roster.size() + leftOut != table.rows.size())
        fault("a row neither taken nor told");
    for (int i = 0; i < import.roster.size(); ++i) {
        const RosterPupil& pupil = import.roster.pupils()[i];
        if (pupil.name.isEmpty())
            fault("a pupil without a name was taken");
        if (!pupil.id.isEmpty() && import.roster.findId(pupil.id) != i)
            fault("a pupil's ID finds another");
    }
}
