// SPDX-License-Identifier: MIT
#pragma once

#include "domain/platform/platform.h"
#include "domain/tools/sample_sheet.h"
#include "gui/tools/sample_sheet_reader.h"

#include <list>
#include <memory>

#include <QImage>
#include <QPageLayout>
#include <QSize>
#include <QString>

class QPrinter;

// The page of the sample sheets: the reports' A4 page with its margins,
// turned as the layout asks.
QPageLayout sampleSheetPageLayout(const SampleSheetLayout& layout);

// The size in pixels the photos of a layout are read at for printing: the
// place of a photo on the page at kSampleSheetPrintDpi.
constexpr int kSampleSheetPrintDpi = 300;
QSize sampleSheetPrintFit(const SampleSheetLayout& layout);

// The placeholder of a photo that cannot be read.
inline const QString kUnreadablePhotoMark = QStringLiteral("写真を読めません");

// The sample sheets as a document to preview and print: the title, the
// customer and event, and "page / pages" on every page, then the photos
// with their numbers and sizes. Every page is painted alone. The preview
// reads the photos of the part of a page it shows from the spool at the
// size it shows them, and keeps the last few so read (kShownBytes at the
// most); a printer or a PDF gets each photo at its printed size, read a
// page at a time and let go once the page is painted.
class SampleSheetPages : public PrintDocument {
public:
    SampleSheetPages(SampleSheetLayout layout, std::shared_ptr<const SampleSheetPhotos> photos);

    QPageLayout pageLayout() const override;
    int pageCount() override;
    void paintPage(QPainter& painter, int page) override;
    // Sets the printer's page to pageLayout() first.
    int print(QPrinter* printer) override;

    static constexpr qint64 kShownBytes = 8LL * 1024 * 1024;

private:
    QImage shownImage(const SampleSheetPhotos::Photo& photo, QSize fit);

    struct Shown {
        int number;
        QSize fit;
        QImage image;
    };

    SampleSheetLayout layout_;
    std::shared_ptr<const SampleSheetPhotos> photos_;
    std::list<Shown> shown_;  // the latest first
    qint64 shownBytes_ = 0;
};
