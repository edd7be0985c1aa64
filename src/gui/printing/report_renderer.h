// SPDX-License-Identifier: MIT
#pragma once

#include "domain/platform/platform.h"
#include "domain/reports/report_document.h"

#include <memory>

#include <QPageLayout>
#include <QSize>

class QPagedPaintDevice;
class QPaintDevice;

// The page the reports are designed for: A4 portrait with 15 mm margins.
QPageLayout reportPageLayout();

class ReportLayout;

// A report over as many pages as it needs: the job header line and "page /
// pages" on every page, the title, the job header block and its rule on
// the first page, and no block cut in two where it can be kept whole. It is
// laid out once, for the reports' page at kLayoutDpi, the first time a page
// count or a page is asked for, with every text shaped once; each page is
// then painted alone. A printer of another page or resolution gets it laid
// out again for itself.
class ReportPages : public PrintDocument {
public:
    // The resolution of the preview's layout: a PDF printer's, so that a
    // PDF is printed from the pages shown.
    static constexpr int kLayoutDpi = 1200;

    explicit ReportPages(ReportDocument document);
    ~ReportPages() override;
    ReportPages(const ReportPages&) = delete;
    ReportPages& operator=(const ReportPages&) = delete;

    QPageLayout pageLayout() const override;
    int pageCount() override;
    void paintPage(QPainter& painter, int page) override;
    int print(QPrinter* printer) override;
    // The same onto any paged device (a printer or a PDF writer) that has
    // no painter active.
    int print(QPagedPaintDevice* device);

private:
    friend int paintReport(const ReportDocument& document, QPagedPaintDevice* device);
    const ReportLayout& laidOut(QPaintDevice* device, QSize size, int dpi);
    const ReportLayout& shownLayout();
    int printOn(QPagedPaintDevice* device, int& pageCount);

    ReportDocument document_;
    std::unique_ptr<ReportLayout> layout_;
};

// Paints the whole report onto a printer or PDF writer (any paged device
// that has no painter active); a printer whose print range is a page range
// gets those pages only. Returns the number of pages of the report (0 when
// the device could not be painted on).
int paintReport(const ReportDocument& document, QPagedPaintDevice* device);
