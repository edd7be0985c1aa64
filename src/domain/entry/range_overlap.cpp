// SPDX-License-Identifier: MIT
#include "domain/entry/range_overlap.h"

#include "domain/platform/platform.h"

#include <initializer_list>

namespace {

struct Range {
    Number start = 0;
    Number end = 0;

    bool complete() const { return start != 0 && end != 0; }
    bool holds(Number n) const { return start <= n && n <= end; }
    bool holdsAnEndOf(const Range& other) const { return holds(other.start) || holds(other.end); }
};

Range largeRange(const JobState& job) {
    return {job.largeStart.value(), job.largeEnd.value()};
}
Range mediumRange(const JobState& job) {
    return {job.mediumStart.value(), job.mediumEnd.value()};
}
Range smallRange(const JobState& job) {
    return {job.smallStart.value(), Number(job.smallEnd)};
}

bool anyEmpty(const SetupScreen& screen, std::initializer_list<SetupControl> boxes) {
    for (SetupControl box : boxes) {
        if (screen.text(box).isEmpty())
            return true;
    }
    return false;
}

void clearRow(JobState& job, SetupScreen& screen, SizeRow row) {
    switch (row) {
        case SizeRow::Large:
            job.largeStart = 0;
            job.largeEnd = 0;
            job.largeCount = 0;
            break;
        case SizeRow::Medium:
            job.mediumStart = 0;
            job.mediumEnd = 0;
            job.mediumCount = 0;
            break;
        case SizeRow::Small:
            job.smallStart = 0;
            job.smallEnd = 0;
            job.smallCount = 0;
            break;
    }
    const RowControls boxes = rowControls(row);
    screen.setText(boxes.start, QString());
    screen.setText(boxes.end, QString());
    screen.setText(boxes.count, QString());
}

void settleFinishButton(const JobState& job, SetupScreen& screen) {
    using enum SetupControl;
    const bool largeInUse = job.largeMode.value() == 0;
    const bool mediumInUse = job.mediumMode == 0;
    bool show = false;
    bool hide = false;
    if (largeInUse && mediumInUse) {
        show = !anyEmpty(screen, {tbDaiTanka, tbChuTanka, tbShouTanka});
        hide =
            anyEmpty(screen, {tbDaiStart, tbDaiEnd, tbChuStart, tbChuEnd, tbShouStart, tbShouEnd});
    } else if (largeInUse) {
        show = !anyEmpty(screen, {tbDaiTanka, tbShouTanka});
        hide = anyEmpty(screen, {tbDaiStart, tbDaiEnd, tbShouStart, tbShouEnd});
    } else if (mediumInUse) {
        show = !anyEmpty(screen, {tbChuTanka, tbShouTanka});
        hide = anyEmpty(screen, {tbChuStart, tbChuEnd, tbShouStart, tbShouEnd});
    } else {
        show = !anyEmpty(screen, {tbShouTanka});
        hide = anyEmpty(screen, {tbShouStart, tbShouEnd});
    }
    if (show)
        screen.setFinishVisible(true);
    if (hide)
        screen.setFinishVisible(false);
}

}  // namespace

std::array<bool, 6> rangeOverlapHits(const JobState& job) {
    const Range large = largeRange(job);
    const Range medium = mediumRange(job);
    const Range small = smallRange(job);
    std::array<bool, 6> hits{};
    if (large.complete()) {
        hits[int(OverlapTest::LargeInMedium)] = medium.holdsAnEndOf(large);
        hits[int(OverlapTest::LargeInSmall)] = small.holdsAnEndOf(large);
    }
    if (medium.complete()) {
        hits[int(OverlapTest::MediumInLarge)] = large.holdsAnEndOf(medium);
        hits[int(OverlapTest::MediumInSmall)] = small.holdsAnEndOf(medium);
    }
    if (small.complete()) {
        hits[int(OverlapTest::SmallInLarge)] = large.holdsAnEndOf(small);
        hits[int(OverlapTest::SmallInMedium)] = medium.holdsAnEndOf(small);
    }
    return hits;
}

void CheckRangeOverlap(JobState& job, SetupScreen& screen, Platform& platform) {
    bool overlap = false;
    for (bool hit : rangeOverlapHits(job)) {
        if (hit) {
            overlap = true;
            platform.showMessage(kRangeOverlapMessage);
        }
    }
    if (!overlap) {
        settleFinishButton(job, screen);
        return;
    }

    screen.setFinishVisible(false);
    clearRow(job, screen, SizeRow::Large);
    clearRow(job, screen, SizeRow::Medium);
    clearRow(job, screen, SizeRow::Small);
    if (job.largeMode.value() == 0)
        screen.setFocusTo(SetupControl::tbDaiStart);
    else if (job.mediumMode == 0)
        screen.setFocusTo(SetupControl::tbChuStart);
    else
        screen.setFocusTo(SetupControl::tbShouStart);
}
