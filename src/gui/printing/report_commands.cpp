// SPDX-License-Identifier: MIT
#include "gui/printing/report_commands.h"

#include "domain/reports/report_document.h"
#include "domain/tools/pupil_names.h"
#include "gui/printing/report_renderer.h"

#include <memory>

namespace {

void preview(Platform& platform, const QString& title, ReportDocument document) {
    platform.previewReport(title, std::make_shared<ReportPages>(std::move(document)));
}

}  // namespace

void printOrderCountReport(const JobState& job, Platform& platform) {
    preview(platform, ReportPreviewTitle::orderCounts,
            orderCountDocument(buildOrderCountReport(job)));
}

void printPupilReport(const JobState& job, Platform& platform) {
    preview(platform, ReportPreviewTitle::pupils, pupilDocument(buildPupilReport(job)));
}

void printPupilReport(const JobState& job, const JobCompanion& companion, Platform& platform) {
    const std::optional<PupilOrderBy> order = choosePupilReportOrder(job, companion, platform);
    if (!order)
        return;
    preview(platform, ReportPreviewTitle::pupils,
            pupilDocument(buildPupilReport(job, pupilNamesOf(companion), *order)));
}

void printReprintReport(const JobState& job, Platform& platform) {
    preview(platform, ReportPreviewTitle::reprints, reprintDocument(buildReprintReport(job)));
}
