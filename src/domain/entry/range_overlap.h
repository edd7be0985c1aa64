// SPDX-License-Identifier: MIT
#pragma once

#include "domain/entry/setup_screen.h"
#include "domain/job/job_state.h"

#include <array>

#include <QString>

class Platform;

// The six tests of the overlap check, in the order they run: each size's
// endpoints against the other two sizes' stored ranges.
enum class OverlapTest {
    LargeInMedium,
    LargeInSmall,
    MediumInLarge,
    MediumInSmall,
    SmallInLarge,
    SmallInMedium,
};

// Which of the six tests hit, for the stored ranges of the job. A size takes
// part only when its stored start and end are both non-zero; the range it is
// tested against is used as stored, complete or not, in use or not.
std::array<bool, 6> rangeOverlapHits(const JobState& job);

// The message of every hitting test.
inline const QString kRangeOverlapMessage = QStringLiteral("写真番号の設定にダブりがあります。");

// The overlap check of the setup screen, run after every accepted range or
// price entry. On an overlap it shows one message per hitting test, clears
// all three ranges and counts (fields and boxes), hides the finish button and
// puts the focus in the first size in use; the prices stay. Otherwise it
// settles the finish button: shown when the price boxes of the sizes in use
// are filled, then hidden when any of their range boxes is empty.
void CheckRangeOverlap(JobState& job, SetupScreen& screen, Platform& platform);
