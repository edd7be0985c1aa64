// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct JobState;

// The photo-number ranges a number may lie in, by size, as the range alerts
// list them: the large range while the large size is set up (largeMode 0),
// then the medium range while mediumMode is 0, and always the small range
// last. Numbers are written in plain decimal, e.g.
// «大（1 ~ 100） と中（101 ~ 200） と 小（201 ~ 500）», or « 小（1 ~ 500）» with
// the small size alone.
QString AllowedRangeText(const JobState& job);
