// SPDX-License-Identifier: MIT
// A keyed day in a real run, to be killed: the input screen with its
// journal in the folder given, keyed with the day journalDayKeys() makes
// for the seed. After each key has been handled the number of keys so far
// is printed, so the test that kills the run knows what was keyed.
//
//   journal_day_child FOLDER SEED

#include "app/program.h"
#include "domain/journal/journal_store.h"
#include "domain/platform/platform_relay.h"
#include "gui/input/form1.h"
#include "support/journal_day.h"
#include "support/window_helpers.h"

#include <cstdio>

#include <QApplication>
#include <QTest>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    JournalStore store(QString::fromLocal8Bit(argv[1]));
    Program<SilentPlatform> program(QStringLiteral("."));
    program.job = journalDayJob();
    program.journal.setPath(store.claim());
    program.context.journal = &program.journal;

    Form1& form = program.windows.get<Form1>();
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 3;
    const QString keys = journalDayKeys(QString::fromLocal8Bit(argv[2]).toUInt());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        typeIntoFocus(keys.mid(i, 1));
        std::printf("%lld\n", static_cast<long long>(i + 1));
        std::fflush(stdout);
    }
    return 0;
}
