// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"
#include "domain/reports/report_content.h"
#include "domain/roster/job_companion.h"

#include <optional>

#include <QString>

class Platform;

// The names the job's roster gives its registered pupils, wherever a pupil
// is listed: the per-pupil report, the photo search. A pupil tied to no
// roster pupil has none, and shows as a job without a roster shows them.

// The roster pupil the registered pupil is tied to; none when untied.
std::optional<PupilName> pupilNameOf(const JobCompanion& companion, int pupilNumber);

// Every tied pupil's.
PupilNames pupilNamesOf(const JobCompanion& companion);

// The order of the per-pupil report. With a roster and a registered pupil
// tied to it, the operator is asked: 入力順 (Enter's answer), 組・番号順, or
// キャンセル (Esc's), which gives none. Otherwise it is keyed order, unasked.
std::optional<PupilOrderBy> choosePupilReportOrder(const JobState& job,
                                                   const JobCompanion& companion,
                                                   Platform& platform);

namespace PupilOrderTexts {
extern const QString kQuestion;  // %1: the pupils tied, %2: the registered pupils
extern const QString kUntied;    // %1: the pupils not tied
extern const QString kKeyed;
extern const QString kByClass;
extern const QString kCancel;
}  // namespace PupilOrderTexts
