// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

// A job with the three sizes set up: large 1-100 at 800, medium 101-300 at
// 500, small 301-999 at 100 (or the ranges and prices given).
struct JobRanges {
    int largeStart = 1, largeEnd = 100, largePrice = 800;
    int mediumStart = 101, mediumEnd = 300, mediumPrice = 500;
    int smallStart = 301, smallEnd = 999, smallPrice = 100;
};

JobState makeJob(const JobRanges& ranges = {});

// The photo-number tokens of a record or entry (labels and amounts left out).
QVector<int> photoTokens(const QString& recordOrEntry);
