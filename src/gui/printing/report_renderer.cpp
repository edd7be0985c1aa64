// SPDX-License-Identifier: MIT
#include "gui/printing/report_renderer.h"

#include "gui/printing/paged_print.h"
#include "gui/printing/report_layout.h"

#include <algorithm>

#include <QImage>
#include <QMarginsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

QPageLayout reportPageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

ReportPages::ReportPages(ReportDocument document) : document_(std::move(document)) {}

ReportPages::~ReportPages() = default;

QPageLayout ReportPages::pageLayout() const {
    return reportPageLayout();
}

const ReportLayout& ReportPages::laidOut(QPaintDevice* device, QSize size, int dpi) {
    if (!layout_ || layout_->size() != size || layout_->dpi() != dpi) {
        layout_.reset();  // one layout at a time
        layout_ = std::make_unique<ReportLayout>(document_, device, size, dpi);
    }
    return *layout_;
}

const ReportLayout& ReportPages::shownLayout() {
    const QSize size = reportPageLayout().paintRectPixels(kLayoutDpi).size();
    if (layout_ && layout_->size() == size && layout_->dpi() == kLayoutDpi)
        return *layout_;
    // The fonts' metrics at the layout's resolution, as a printer of it
    // gives them.
    QImage metrics(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(kLayoutDpi / 0.0254);
    metrics.setDotsPerMeterX(dotsPerMeter);
    metrics.setDotsPerMeterY(dotsPerMeter);
    return laidOut(&metrics, size, kLayoutDpi);
}

int ReportPages::pageCount() {
    return shownLayout().pageCount();
}

void ReportPages::paintPage(QPainter& painter, int page) {
    const ReportLayout& layout = shownLayout();
    if (page < 1 || page > layout.pageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(72.0 / kLayoutDpi, 72.0 / kLayoutDpi);
    layout.paintPage(painter, page - 1);
    painter.restore();
}

int ReportPages::print(QPrinter* printer) {
    return print(static_cast<QPagedPaintDevice*>(printer));
}

int ReportPages::print(QPagedPaintDevice* device) {
    int pageCount = 0;
    return printOn(device, pageCount);
}

int ReportPages::printOn(QPagedPaintDevice* device, int& pageCount) {
    const ReportLayout& layout =
        laidOut(device, QSize(device->width(), device->height()), device->logicalDpiY());
    pageCount = layout.pageCount();
    const auto* printer = dynamic_cast<QPrinter*>(device);
    const auto [first, last] =
        printer ? printerPageRange(*printer, pageCount) : std::pair(1, pageCount);
    if (first > last)
        return 0;

    QPainter painter;
    if (!painter.begin(device))
        return 0;
    painter.setRenderHint(QPainter::Antialiasing);
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device->newPage();
        layout.paintPage(painter, page - 1);
    }
    painter.end();
    return last - first + 1;
}

int paintReport(const ReportDocument& document, QPagedPaintDevice* device) {
    ReportPages pages(document);
    int pageCount = 0;
    return pages.printOn(device, pageCount) > 0 ? pageCount : 0;
}
