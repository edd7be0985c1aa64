// SPDX-License-Identifier: MIT
// The job file loader fed any bytes at all: what it refuses must leave the
// job untouched, and what it takes must then stand the operator's next steps
// (a pupil closed, one corrected, the three reports, a save that loads back)
// without a fault. Built with libFuzzer (PICTOR_FUZZ, Clang), and with the
// plain driver that runs the seed files as a test.

#include "domain/files/job_file_loader.h"
#include "support/steps_after_load.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fault(const QString& what) {
    std::fprintf(stderr, "fuzz_job_file: %s\n", qPrintable(what));
    std::abort();
}

// A job that loaded holds what the rest of the program relies on.
void checkLoaded(const JobState& job) {
    const auto inRange = [](Number v) { return v >= 1 && v <= 9999; };
    const Number largeMode = job.largeMode.value();
    if (largeMode != 0 && largeMode != 1)
        fault(QStringLiteral("large mode %1 was taken").arg(largeMode));
    if (job.mediumMode != 0 && job.mediumMode != 1)
        fault(QStringLiteral("medium mode %1 was taken").arg(job.mediumMode));
    if (!inRange(job.smallStart.value()) || !inRange(job.smallEnd) ||
        job.smallStart.value() > job.smallEnd)
        fault(QStringLiteral("a small range that is no range was taken"));
    if (largeMode == 0 && (!inRange(job.largeStart.value()) || !inRange(job.largeEnd.value())))
        fault(QStringLiteral("a large range beyond the photo numbers was taken"));
    if (!(job.personCount >= 0 && job.personCount <= JobState::kMaxPersons) ||
        job.lastRecordSlot != job.personCount)
        fault(QStringLiteral("persons %1, last slot %2 were taken")
                  .arg(job.personCount)
                  .arg(job.lastRecordSlot));
    for (std::size_t n = 1; n < job.printCounts.size(); ++n) {
        if (job.printCounts[n] < 0)
            fault(QStringLiteral("a count below 0 was taken"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    JobState job;
    const JobFileLoadResult result =
        loadJobFileBytes(job, QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (result.message.isEmpty() != (result.complete() && result.replacedBytes == 0))
        fault(QStringLiteral("the message does not match the result: ") + result.message);
    if (!result.loaded()) {
        if (job.personCount != 0 || !job.customerName.toText().isEmpty() || job.smallEnd != 0)
            fault(QStringLiteral("a refused file changed the job"));
        return 0;
    }
    checkLoaded(job);
    const StepsAfterLoad steps = runStepsAfterLoad(job);
    if (!steps.problems.isEmpty())
        fault(steps.problems.join(u'\n'));
    return 0;
}
