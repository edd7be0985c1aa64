// SPDX-License-Identifier: MIT
#pragma once

#include "app/program.h"
#include "domain/journal/journal_store.h"
#include "support/fake_platform.h"
#include "support/journal_day.h"
#include "support/run_gui.h"

#include <QString>

// A run whose journal lives in a folder's store, as the program's start
// sets it up: the run writes its journal once a path of the store is
// claimed for it (program.journal.setPath(store.claim())).
struct JournaledRun {
    explicit JournaledRun(const QString& folder) : store(folder) {
        program.context.journal = &program.journal;
    }

    // A run that keys: the job set up, a journal claimed for it, and the
    // input screen shown and active (false when it does not become active).
    [[nodiscard]] bool startKeying(const JobState& job, Form1*& form) {
        program.job = job;
        program.journal.setPath(store.claim());
        return showActive(program, form);
    }

    // The same with the journal day's job; the test fails when the input
    // screen does not become active.
    Form1& startKeyingTheDay() {
        Form1* form = nullptr;
        [&] { QVERIFY(startKeying(journalDayJob(), form)); }();
        return *form;
    }

    JournalStore store;
    Program<FakePlatform> program{QStringLiteral("/x")};
};
