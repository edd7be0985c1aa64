// SPDX-License-Identifier: MIT
#pragma once

#include "domain/reports/report_document.h"

#include <memory>

#include <QSize>

class QPaintDevice;
class QPainter;

namespace ReportRendering {
class Layout;
}

// A report laid out over pages for a page size and resolution: what each
// page holds, and every text shaped once (with the fonts' metrics of
// `device` at that resolution), so that any page is painted alone with a
// handful of calls: texts in one run of glyphs per face and colour, lines
// and boxes in one call per pen.
class ReportLayout {
public:
    ReportLayout(const ReportDocument& document, QPaintDevice* device, QSize size, int dpi);
    ~ReportLayout();
    ReportLayout(const ReportLayout&) = delete;
    ReportLayout& operator=(const ReportLayout&) = delete;

    QSize size() const;
    int dpi() const;
    int pageCount() const;
    // Paints a page (0-based) in device pixels.
    void paintPage(QPainter& painter, int page) const;

private:
    std::unique_ptr<ReportRendering::Layout> layout_;
};
