// SPDX-License-Identifier: MIT
#pragma once

#include "domain/reports/report_document.h"

#include <QPageLayout>

class QPagedPaintDevice;

// The page the reports are designed for: A4 portrait with 15 mm margins.
QPageLayout reportPageLayout();

// Paints the document onto a printer or PDF writer (any paged device that
// has no painter active), over as many pages as it needs: the job header
// line and "page / pages" on every page, the title, the job header block and
// its rule on the first page, and no block cut in two where it can be kept
// whole. A printer whose print range is a page range gets those pages only.
// Returns the number of pages of the report (0 when the device could not be
// painted on).
int paintReport(const ReportDocument& document, QPagedPaintDevice* device);

// The number of pages the document takes on the device, without painting.
int countReportPages(const ReportDocument& document, QPagedPaintDevice* device);
