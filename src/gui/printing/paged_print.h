// SPDX-License-Identifier: MIT
#pragma once

#include "gui/printing/report_fonts.h"

#include <functional>
#include <utility>

#include <QFont>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

// What the documents painted in points share when they print.

// The pages a printer asks for of a document of pageCount pages: all of
// them, or its page range.
std::pair<int, int> printerPageRange(const QPrinter& printer, int pageCount);

// Paints pages first to last onto a paged device that has no painter
// active, each with paint(painter, page) on a painter scaled to points.
// Returns the pages painted (0 when the device could not be painted on).
int paintPages(QPagedPaintDevice* device, int first, int last,
               const std::function<void(QPainter&, int)>& paint);

// A font of the reports' face that prints `points` points tall on a painter
// scaled to points, whatever the resolution of its device.
QFont pointFont(const QPainter& painter, ReportFace face, qreal points, bool bold = false);
