// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"
#include "domain/platform/platform.h"
#include "domain/roster/job_companion.h"

#include <QString>

// The three print commands of the input screen. Each takes the report's
// figures from the job as it stands (registered pupils only) and opens a
// print preview of it through the platform; the preview keeps that
// snapshot, so keying on while it is open does not change what it prints.

// 受注数印刷: cbPrintAll and mnuJuchuu.
void printOrderCountReport(const JobState& job, Platform& platform);
// 個人別印刷: cbPrintKojin and mnuKojin.
void printPupilReport(const JobState& job, Platform& platform);
// The same with the job's companion: each pupil tied to its roster shows
// their class, number and name; with such pupils the operator chooses the
// order first (choosePupilReportOrder), and nothing is previewed when they
// cancel. Without a roster it is the report above, unasked.
void printPupilReport(const JobState& job, const JobCompanion& companion, Platform& platform);
// やきまし数印刷: cbPrintYakimasi and mnuYakimasi.
void printReprintReport(const JobState& job, Platform& platform);

// The titles of the three previews (the commands' captions).
namespace ReportPreviewTitle {
inline const QString orderCounts = QStringLiteral("受注数印刷");
inline const QString pupils = QStringLiteral("個人別印刷");
inline const QString reprints = QStringLiteral("やきまし数印刷");
}  // namespace ReportPreviewTitle
