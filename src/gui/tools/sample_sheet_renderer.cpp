// SPDX-License-Identifier: MIT
#include "gui/tools/sample_sheet_renderer.h"

#include "gui/printing/paged_print.h"
#include "gui/printing/report_fonts.h"
#include "gui/printing/report_renderer.h"
#include "gui/tools/sample_sheet_reader.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace {

const QColor kBlack(0, 0, 0);
const QColor kFrameGrey(0xa0, 0xa0, 0xa0);
const QColor kMarkGrey(0x60, 0x60, 0x60);
const QString kHeaderGap = QStringLiteral("　　");

// The places on a page, in the device's units, from its paint size and
// points.
struct Geometry {
    qreal pt = 1;
    QRectF body;
    QSizeF cell;
    qreal padding = 0;
    qreal numberPoints = 12;
    qreal captionHeight = 0;
    int columns = 1;
    // What the fonts' point sizes are multiplied by: below 1 where the
    // units are points but the device measures fonts at a higher resolution.
    qreal fontScale = 1;

    static constexpr qreal kHeaderPoints = 28;  // the header band with its rule
    static constexpr qreal kBodyTopPoints = 36;

    Geometry(QSizeF page, qreal pointUnits, int columnCount, int rowCount)
        : pt(pointUnits), columns(columnCount) {
        body = QRectF(0, kBodyTopPoints * pt, page.width(), page.height() - kBodyTopPoints * pt);
        cell = QSizeF(body.width() / columnCount, body.height() / rowCount);
        padding = 5 * pt;
        // The number as large as the cell allows: some 28 points on six to
        // a page, 19 on twenty.
        numberPoints = std::clamp(cell.height() / pt * 0.13, 12.0, 28.0);
        captionHeight = numberPoints * 1.45 * pt;
    }

    QRectF cellRect(int index) const {
        return QRectF(body.left() + (index % columns) * cell.width(),
                      body.top() + (index / columns) * cell.height(), cell.width(), cell.height());
    }
    QRectF photoRect(const QRectF& cellRect) const {
        return cellRect.adjusted(padding, padding, -padding, -padding - captionHeight);
    }
    QRectF captionRect(const QRectF& cellRect) const {
        return QRectF(cellRect.left() + padding, cellRect.bottom() - padding - captionHeight,
                      cellRect.width() - 2 * padding, captionHeight);
    }
};

// A size fitted into a place, centred across and standing on its bottom,
// so that the number is right under the photo.
QRectF fitted(QSizeF size, const QRectF& into) {
    const QSizeF shown = size.scaled(into.size(), Qt::KeepAspectRatio);
    return QRectF(into.center().x() - shown.width() / 2, into.bottom() - shown.height(),
                  shown.width(), shown.height());
}

void paintHeader(QPainter& painter, const Geometry& g, const SampleSheetLayout& layout, int page) {
    const qreal width = g.body.width();
    const QFont titleFont = reportFont(ReportFace::Gothic, 14 * g.fontScale, true);
    const QFont headerFont = reportFont(ReportFace::Gothic, 11 * g.fontScale);
    const QFont pageFont = reportFont(ReportFace::Gothic, 10 * g.fontScale);
    const QFontMetricsF titleMetrics(titleFont, painter.device());
    const QFontMetricsF headerMetrics(headerFont, painter.device());
    const QFontMetricsF pageMetrics(pageFont, painter.device());
    const qreal baseline = 20 * g.pt;
    painter.setPen(kBlack);

    const QString pageText = layout.pageText(page);
    const qreal pageWidth = pageMetrics.horizontalAdvance(pageText);
    painter.setFont(pageFont);
    painter.drawText(QPointF(width - pageWidth, baseline), pageText);

    painter.setFont(titleFont);
    painter.drawText(QPointF(0, baseline), layout.title);
    const qreal headerLeft = titleMetrics.horizontalAdvance(layout.title + kHeaderGap);
    const QString header = headerMetrics.elidedText(layout.headerText, Qt::ElideRight,
                                                    width - pageWidth - headerLeft - 12 * g.pt);
    painter.setFont(headerFont);
    painter.drawText(QPointF(headerLeft, baseline), header);

    const qreal ruleY = Geometry::kHeaderPoints * g.pt;
    painter.setPen(QPen(kBlack, 0.8 * g.pt));
    painter.drawLine(QPointF(0, ruleY), QPointF(width, ruleY));
}

void paintCaption(QPainter& painter, const Geometry& g, const QRectF& rect,
                  const SampleSheetCell& cell) {
    const QFont numberFont = reportFont(ReportFace::Gothic, g.numberPoints * g.fontScale, true);
    const QFont sizeFont =
        reportFont(ReportFace::Gothic, g.numberPoints * 0.7 * g.fontScale, cell.outOfRange);
    const QFontMetricsF numberMetrics(numberFont, painter.device());
    const QFontMetricsF sizeMetrics(sizeFont, painter.device());
    const qreal gap = g.numberPoints * 0.5 * g.pt;
    const qreal numberWidth = numberMetrics.horizontalAdvance(cell.numberText);
    const qreal sizeWidth = sizeMetrics.horizontalAdvance(cell.sizeText);
    const qreal left = rect.center().x() - (numberWidth + gap + sizeWidth) / 2;
    const qreal baseline = rect.bottom() - numberMetrics.descent();
    painter.setPen(kBlack);
    painter.setFont(numberFont);
    painter.drawText(QPointF(left, baseline), cell.numberText);
    painter.setPen(cell.outOfRange ? kMarkGrey : kBlack);
    painter.setFont(sizeFont);
    painter.drawText(QPointF(left + numberWidth + gap, baseline), cell.sizeText);
}

// A framed box of a photo's proportions with its number and why it is missing.
void paintPlaceholder(QPainter& painter, const Geometry& g, const QRectF& photoRect,
                      const SampleSheetCell& cell) {
    const QRectF box = fitted(QSizeF(3, 2), photoRect);
    painter.setPen(QPen(kBlack, 0.8 * g.pt));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    painter.setFont(
        reportFont(ReportFace::Gothic, std::max(9.0, g.numberPoints * 0.6) * g.fontScale));
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap,
                     cell.numberText + u'\n' + kUnreadablePhotoMark);
}

// One page: its header, then each photo (as `read` gives it for the place
// it is drawn in) or its placeholder, with its caption; only the cells
// that reach into `shown`.
template <typename Read>
void paintSheet(QPainter& painter, const Geometry& g, const SampleSheetLayout& layout, int page,
                const QRectF& shown, const SampleSheetPhotos& photos, const Read& read) {
    paintHeader(painter, g, layout, page);
    const auto& cells = layout.pages[page - 1];
    for (int index = 0; index < cells.size(); ++index) {
        const SampleSheetCell& cell = cells[index];
        const QRectF cellRect = g.cellRect(index);
        if (!cellRect.intersects(shown))
            continue;
        const QRectF photoRect = g.photoRect(cellRect);
        const SampleSheetPhotos::Photo* photo = photos.find(cell.number);
        const QImage image = photo ? read(*photo, photoRect) : QImage();
        if (image.isNull()) {
            paintPlaceholder(painter, g, photoRect, cell);
        } else {
            const QRectF target = fitted(image.size(), photoRect);
            painter.drawImage(target, image);
            painter.setPen(QPen(kFrameGrey, 0.4 * g.pt));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(target);
        }
        paintCaption(painter, g, g.captionRect(cellRect), cell);
    }
}

}  // namespace

QPageLayout sampleSheetPageLayout(const SampleSheetLayout& layout) {
    QPageLayout page = reportPageLayout();
    page.setOrientation(layout.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    return page;
}

QSize sampleSheetPrintFit(const SampleSheetLayout& layout) {
    const QSizeF page = sampleSheetPageLayout(layout).paintRect(QPageLayout::Point).size();
    const Geometry g(page, 1, std::max(1, layout.columns), std::max(1, layout.rows));
    const QSizeF photo = g.photoRect(g.cellRect(0)).size() * (kSampleSheetPrintDpi / 72.0);
    return QSize(int(photo.width() + 0.5), int(photo.height() + 0.5));
}

SampleSheetPages::SampleSheetPages(SampleSheetLayout layout,
                                   std::shared_ptr<const SampleSheetPhotos> photos)
    : layout_(std::move(layout)), photos_(std::move(photos)) {}

QPageLayout SampleSheetPages::pageLayout() const {
    return sampleSheetPageLayout(layout_);
}

int SampleSheetPages::pageCount() {
    return layout_.pageCount();
}

void SampleSheetPages::paintPage(QPainter& painter, int page) {
    if (page < 1 || page > layout_.pageCount())
        return;
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QSizeF size = pageLayout().paintRect(QPageLayout::Point).size();
    Geometry g(size, 1, std::max(1, layout_.columns), std::max(1, layout_.rows));
    g.fontScale = 72.0 / painter.device()->logicalDpiY();
    // The device's pixels to a point, to read each photo at the size shown.
    const QTransform& transform = painter.deviceTransform();
    const qreal scale = std::sqrt(std::abs(transform.determinant()));
    // The part of the page the device shows (a tile of the preview).
    const QPaintDevice* device = painter.device();
    const QRectF shown =
        transform.inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
    paintSheet(painter, g, layout_, page, shown, *photos_,
               [&](const SampleSheetPhotos::Photo& photo, const QRectF& place) {
                   return shownImage(photo, (place.size() * scale).toSize());
               });
    painter.restore();
}

QImage SampleSheetPages::shownImage(const SampleSheetPhotos::Photo& photo, QSize fit) {
    for (auto it = shown_.begin(); it != shown_.end(); ++it) {
        if (it->number == photo.number && it->fit == fit) {
            shown_.splice(shown_.begin(), shown_, it);
            return it->image;
        }
    }
    QImage image = photos_->image(photo, fit);
    shownBytes_ += image.sizeInBytes();
    shown_.push_front({photo.number, fit, image});
    while (shownBytes_ > kShownBytes && shown_.size() > 1) {
        shownBytes_ -= shown_.back().image.sizeInBytes();
        shown_.pop_back();
    }
    return image;
}

int SampleSheetPages::print(QPrinter* printer) {
    printer->setPageLayout(sampleSheetPageLayout(layout_));
    const auto [first, last] = printerPageRange(*printer, layout_.pageCount());
    if (first > last)
        return 0;

    QPainter painter;
    if (!painter.begin(printer))
        return 0;
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const Geometry g(QSizeF(printer->width(), printer->height()), printer->logicalDpiY() / 72.0,
                     std::max(1, layout_.columns), std::max(1, layout_.rows));
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer->newPage();
        // Read for this page only; let go as soon as it is drawn.
        paintSheet(painter, g, layout_, page, QRectF(0, 0, printer->width(), printer->height()),
                   *photos_, [&](const SampleSheetPhotos::Photo& photo, const QRectF&) {
                       return photos_->printImage(photo);
                   });
    }
    painter.end();
    return last - first + 1;
}
