// SPDX-License-Identifier: MIT
// The roster's readers fed any bytes at all: the CSV reader (and the import
// of what it reads, its columns guessed) and the job's companion file. What
// they take must hold together; a companion that reads must write back to
// the same. Built with libFuzzer (PICTOR_FUZZ, Clang), and with the plain
// driver that runs the seed files as a test. The first byte chooses the
// reader: even, the CSV; odd, the companion.

#include "domain/roster/job_companion.h"
#include "domain/roster/roster_csv.h"
#include "roster_import_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "fuzz_roster: %s\n", what);
    std::abort();
}

void csv(const QByteArray& bytes) {
    const RosterReadResult read = readRosterCsv(bytes);
    if (read.table.has_value() == !read.refusal.isEmpty())
        fault("a table and a refusal, or neither");
    if (!read.table)
        return;
    const RosterTable& table = *read.table;
    if (table.rows.size() != table.rowNumbers.size())
        fault("a row without its line");
    checkRosterImport(table, fault);
}

void companion(const QByteArray& bytes) {
    const JobCompanionRead read = readJobCompanion(bytes);
    if (read.companion.has_value() == !read.problem.isEmpty())
        fault("a companion and a problem, or neither");
    if (!read.companion)
        return;
    for (const auto& [pupil, rosterIndex] : read.companion->ties)
        if (pupil < 1 || rosterIndex < 0 || rosterIndex >= read.companion->roster.size())
            fault("a tie to no pupil was taken");
    const JobCompanionRead again = readJobCompanion(jobCompanionBytes(*read.companion));
    if (!again.companion || !(*again.companion == *read.companion))
        fault("a companion does not write back to itself");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] % 2 == 0)
        csv(bytes);
    else
        companion(bytes);
    return 0;
}
