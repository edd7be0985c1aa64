// SPDX-License-Identifier: MIT
#pragma once

#include "domain/tools/sample_sheet.h"

#include <QPageLayout>
#include <QSize>
#include <QString>

class QPrinter;
class SampleSheetPhotos;

// The page of the sample sheets: the reports' A4 page with its margins,
// turned as the layout asks.
QPageLayout sampleSheetPageLayout(const SampleSheetLayout& layout);

// The size in pixels the photos of a layout are read at for printing: the
// place of a photo on the page at kSampleSheetPrintDpi.
constexpr int kSampleSheetPrintDpi = 300;
QSize sampleSheetPrintFit(const SampleSheetLayout& layout);

// The placeholder of a photo that cannot be read.
inline const QString kUnreadablePhotoMark = QStringLiteral("写真を読めません");

// Paints the sample sheets onto the printer, its page set up as
// sampleSheetPageLayout says: the title, the customer and event, and "page /
// pages" on every page, then the photos with their numbers and sizes. The
// print preview (a painter recording pictures) gets the small images of
// `photos`; a printer or PDF gets each photo at its printed size, read a
// page at a time. A printer whose print range is a page range gets those
// pages only. Returns the number of pages painted (0 when the printer could
// not be painted on).
int paintSampleSheets(const SampleSheetLayout& layout, const SampleSheetPhotos& photos,
                      QPrinter* printer);
