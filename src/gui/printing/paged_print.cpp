// SPDX-License-Identifier: MIT
#include "gui/printing/paged_print.h"

#include <algorithm>

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

std::pair<int, int> printerPageRange(const QPrinter& printer, int pageCount) {
    if (printer.printRange() != QPrinter::PageRange || printer.fromPage() <= 0)
        return {1, pageCount};
    return {std::max(1, printer.fromPage()),
            std::min(pageCount, printer.toPage() > 0 ? printer.toPage() : pageCount)};
}

int paintPages(QPagedPaintDevice* device, int first, int last,
               const std::function<void(QPainter&, int)>& paint) {
    if (first > last)
        return 0;
    QPainter painter;
    if (!painter.begin(device))
        return 0;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(device->logicalDpiX() / 72.0, device->logicalDpiY() / 72.0);
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device->newPage();
        paint(painter, page);
    }
    painter.end();
    return last - first + 1;
}

QFont pointFont(const QPainter& painter, ReportFace face, qreal points, bool bold) {
    QFont font(reportFontFamily(face));
    // A point size is the device's: on a painter already scaled to points
    // it is drawn that many times larger again.
    font.setPointSizeF(std::max(0.1, points) * 72.0 / std::max(1, painter.device()->logicalDpiY()));
    font.setBold(bold);
    return font;
}
