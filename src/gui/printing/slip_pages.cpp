// SPDX-License-Identifier: MIT
#include "gui/printing/slip_pages.h"

#include "domain/reports/report_document.h"
#include "domain/tools/barcode.h"
#include "gui/printing/paged_print.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QLocale>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace SlipPrintTexts {
const QString kSchool = QStringLiteral("学校名");
const QString kEvent = QStringLiteral("行事名");
const QString kPhotoNumber = QStringLiteral("写真番号");
const QString kCount = QStringLiteral("枚数");
const QString kTotalAmount = QStringLiteral("合計金額");
const QString kUnitPrice = QStringLiteral("1枚 %1円");
const QString kRange = QStringLiteral("%1〜%2番");
const QString kSlipNumber = QStringLiteral("伝票番号 %1");
const QString kPrints = QStringLiteral("%1枚");
const QString kMore = QStringLiteral("…（続きは個人別注文一覧に）");
}  // namespace SlipPrintTexts

using namespace SlipPrintTexts;

namespace {

constexpr qreal kPointsPerMm = 72.0 / 25.4;
// The smallest slip, A4 in four, is what the sizes below are made for.
constexpr QSizeF kBaseSlipMm(105, 148.5);
// The narrowest bar: wide enough for any scanner at the printed size.
constexpr qreal kModuleMm = 0.33;

QRectF inPoints(QPointF topLeftMm, QSizeF sizeMm) {
    return {topLeftMm * kPointsPerMm, sizeMm * kPointsPerMm};
}

QString yen(Number amount) {
    return QLocale(QLocale::Japanese).toString(qlonglong(amount));
}

// The slips' fonts for the painter's device, in points as printed.
class SlipFonts {
public:
    explicit SlipFonts(const QPainter& painter) : painter_(painter) {}
    QFont gothic(qreal points, bool bold = false) const {
        return pointFont(painter_, ReportFace::Gothic, points, bold);
    }
    QFont mincho(qreal points) const { return pointFont(painter_, ReportFace::Mincho, points); }

private:
    const QPainter& painter_;
};

// A line of text in a box, cut short with "…" when it is wider.
void drawLine(QPainter& painter, const QRectF& box, const QString& text,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(box, int(align), metrics.elidedText(text, Qt::ElideRight, box.width()));
}

void drawBarcode(QPainter& painter, const QRectF& place, const Code128Symbol& symbol) {
    const qreal module = place.width() / (symbol.modules + 2 * kCode128QuietModules);
    for (const BarcodeBar& bar : symbol.bars)
        painter.fillRect(QRectF(place.left() + (kCode128QuietModules + bar.start) * module,
                                place.top(), bar.width * module, place.height()),
                         Qt::black);
}

}  // namespace

SlipPagesBase::SlipPagesBase(SlipSheet sheet, int count, int firstPlace)
    : sheet_(std::move(sheet)),
      count_(std::max(0, count)),
      firstPlace_(sheet_.labels ? std::clamp(firstPlace, 0, sheet_.perPage() - 1) : 0) {}

QPageLayout SlipPagesBase::pageLayout() const {
    return QPageLayout(QPageSize(sheet_.paper, QPageSize::Millimeter), QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

int SlipPagesBase::pageCount() {
    return std::max(1, sheet_.pageCount(count_, firstPlace_));
}

void SlipPagesBase::paintPage(QPainter& painter, int page) {
    if (page < 1 || page > pageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintSheet(painter, page);
    painter.restore();
}

void SlipPagesBase::paintSheet(QPainter& painter, int page) {
    const bool cut = !sheet_.labels && sheet_.perPage() > 1;
    for (int place = 0; place < sheet_.perPage(); ++place) {
        const int index = (page - 1) * sheet_.perPage() + place - firstPlace_;
        const QRectF slip = inPoints(sheet_.placeOf(place), sheet_.slip);
        if (cut) {
            // Where to cut: a light dashed line along the slip's right and lower edges.
            painter.setPen(QPen(Qt::gray, 0.5, Qt::DashLine));
            painter.drawLine(slip.topRight(), slip.bottomRight());
            painter.drawLine(slip.bottomLeft(), slip.bottomRight());
        }
        if (index >= 0 && index < count_) {
            painter.save();
            paintSlip(painter, index, slip);
            painter.restore();
        }
    }
}

int SlipPagesBase::print(QPagedPaintDevice* device) {
    device->setPageLayout(pageLayout());
    return paintPages(device, 1, pageCount(),
                      [this](QPainter& p, int page) { paintSheet(p, page); });
}

int SlipPagesBase::print(QPrinter* printer) {
    // The whole sheet is the page: its grid is measured from the paper's
    // edge. The paper alone is set: a printer refuses a whole layout whose
    // margins are narrower than it can print, and full-page painting needs
    // none.
    printer->setFullPage(true);
    printer->setPageSize(pageLayout().pageSize());
    printer->setPageOrientation(QPageLayout::Portrait);
    const auto [first, last] = printerPageRange(*printer, pageCount());
    return paintPages(printer, first, last, [this](QPainter& p, int page) { paintSheet(p, page); });
}

OrderSlipPages::OrderSlipPages(OrderSlips slips, SlipSheet sheet)
    : SlipPagesBase(std::move(sheet), int(slips.slips.size())), slips_(std::move(slips)) {}

void OrderSlipPages::paintSlip(QPainter& painter, int index, const QRectF& slip) {
    const OrderSlip& pupil = slips_.slips[index];
    const SlipFonts fonts(painter);
    // Everything grows with the slip, from the smallest (A4 in four).
    const qreal u = std::min(slip.width() / (kBaseSlipMm.width() * kPointsPerMm),
                             slip.height() / (kBaseSlipMm.height() * kPointsPerMm));
    const qreal mm = kPointsPerMm * u;
    const QRectF area = slip.adjusted(7 * mm, 7 * mm, -7 * mm, -7 * mm);
    painter.setPen(Qt::black);

    // The title and the pupil's code, top right.
    qreal y = area.top();
    painter.setFont(fonts.gothic(14 * u, true));
    drawLine(painter, QRectF(area.left(), y, area.width() / 2, 8 * mm),
             PupilSlipTexts::kOrderSlipTitle);
    if (const std::optional<Code128Symbol> symbol = code128Symbol(pupil.code)) {
        const qreal width = (symbol->modules + 2 * kCode128QuietModules) * kModuleMm *
                            kPointsPerMm * std::min(u, 1.5);
        const QRectF bars(area.right() - width, y, width, 9 * mm);
        drawBarcode(painter, bars, *symbol);
        painter.setFont(fonts.gothic(6 * u));
        drawLine(painter, QRectF(bars.left(), bars.bottom(), bars.width(), 3.5 * mm), pupil.code,
                 Qt::AlignHCenter | Qt::AlignTop);
    }
    y += 13 * mm;

    // The school, the event and the pupil.
    painter.setFont(fonts.mincho(8 * u));
    drawLine(painter, QRectF(area.left(), y, area.width(), 4.5 * mm),
             kSchool + QStringLiteral("：") + slips_.header.customerName);
    y += 4.5 * mm;
    drawLine(painter, QRectF(area.left(), y, area.width(), 4.5 * mm),
             kEvent + QStringLiteral("：") + slips_.header.eventName + QStringLiteral("  ") +
                 slips_.header.shootingDate);
    y += 6 * mm;
    painter.setFont(fonts.gothic(10 * u, true));
    drawLine(painter, QRectF(area.left(), y, area.width(), 6 * mm), pupil.place);
    y += 6 * mm;
    painter.setFont(fonts.mincho(7 * u));
    drawLine(painter, QRectF(area.left(), y, area.width(), 4 * mm), pupil.kana);
    y += 4 * mm;
    painter.setFont(fonts.gothic(13 * u, true));
    drawLine(painter, QRectF(area.left(), y, area.width(), 7 * mm), pupil.name);
    y += 9 * mm;

    // A box of photo numbers and counts for each size, then the total.
    const qreal totalHeight = 10 * mm;
    const int sizes = std::max<int>(1, int(slips_.sizes.size()));
    const qreal perSize = (area.bottom() - totalHeight - 2 * mm - y) / sizes;
    const qreal rowHeight = 6 * mm;
    const int pairs = std::max(1, int(area.width() / (30 * mm)));
    const qreal pairWidth = area.width() / pairs;
    for (const SlipSize& size : slips_.sizes) {
        painter.setFont(fonts.gothic(8 * u, true));
        drawLine(painter, QRectF(area.left(), y, area.width(), 5 * mm),
                 QStringLiteral("%1  %2  %3")
                     .arg(ReportText::sizeName(size.size),
                          kRange.arg(size.rangeStart).arg(size.rangeEnd),
                          kUnitPrice.arg(yen(size.unitPrice))));
        const qreal top = y + 5 * mm;
        const int rows = std::max(1, int((y + perSize - 1 * mm - top) / rowHeight) - 1);
        painter.setPen(QPen(Qt::black, 0.6 * u));
        painter.setFont(fonts.mincho(6.5 * u));
        for (int p = 0; p < pairs; ++p) {
            const qreal left = area.left() + p * pairWidth;
            const QRectF number(left, top, pairWidth * 0.62, rowHeight);
            const QRectF count(number.right(), top, pairWidth * 0.38, rowHeight);
            painter.drawText(number, Qt::AlignCenter, kPhotoNumber);
            painter.drawText(count, Qt::AlignCenter, kCount);
            for (int r = 0; r <= rows; ++r) {
                painter.drawRect(number.translated(0, r * rowHeight));
                painter.drawRect(count.translated(0, r * rowHeight));
            }
        }
        y += perSize;
    }
    const QRectF total(area.left() + area.width() * 0.4, area.bottom() - totalHeight,
                       area.width() * 0.6, totalHeight);
    painter.setPen(QPen(Qt::black, 0.9 * u));
    painter.drawRect(total);
    painter.setFont(fonts.gothic(9 * u, true));
    drawLine(painter, total.adjusted(2 * mm, 0, 0, 0), kTotalAmount);
    drawLine(painter, total.adjusted(0, 0, -2 * mm, 0), QStringLiteral("円"),
             Qt::AlignRight | Qt::AlignVCenter);
}

EnvelopeSlipPages::EnvelopeSlipPages(EnvelopeSlips slips, SlipSheet sheet, int firstPlace)
    : SlipPagesBase(std::move(sheet), int(slips.slips.size()), firstPlace),
      slips_(std::move(slips)) {}

namespace {

// A line of an envelope slip: its text at a size relative to the body's.
struct SlipLine {
    QString text;
    qreal scale = 1;
    bool bold = false;
    bool right = false;  // the amount, at the right
};

// The photo numbers of a size, with the prints of each where more than one,
// as words to wrap.
QStringList photoWords(const EnvelopeSize& size) {
    QStringList words;
    for (const PhotoCount& photo : size.photos)
        words.append(photo.prints > 1
                         ? QStringLiteral("%1×%2").arg(photo.photoNumber).arg(photo.prints)
                         : QString::number(photo.photoNumber));
    return words;
}

}  // namespace

void EnvelopeSlipPages::paintSlip(QPainter& painter, int index, const QRectF& slip) {
    const EnvelopeSlip& pupil = slips_.slips[index];
    const SlipFonts fonts(painter);
    const qreal side = std::min(slip.width(), slip.height());
    const QRectF area = slip.adjusted(side * 0.06, side * 0.06, -side * 0.06, -side * 0.06);

    QVector<SlipLine> head;
    head.append({PupilSlipTexts::kEnvelopeSlipTitle + QStringLiteral("  ") +
                     slips_.header.customerName + QStringLiteral("  ") + slips_.header.eventName,
                 0.85});
    head.append({pupil.place.isEmpty() ? PupilSlipTexts::kUntied : pupil.place, 1, true});
    head.append({pupil.name, 1.3, true});
    head.append({kSlipNumber.arg(pupil.pupilNumber), 0.85});

    // The largest body size at which every line fits, the photo numbers
    // wrapped to the slip's width.
    const qreal width = area.width();
    QVector<SlipLine> lines;
    qreal body = std::min(12.0, area.height() / 9);
    const auto heightOf = [&](const QVector<SlipLine>& all) {
        qreal height = 0;
        for (const SlipLine& line : all)
            height += body * line.scale * 1.3;
        return height;
    };
    for (;; body *= 0.9) {
        lines = head;
        const QFontMetricsF metrics(fonts.gothic(body), painter.device());
        for (const EnvelopeSize& size : pupil.sizes) {
            lines.append({QStringLiteral("%1  %2  %3円")
                              .arg(size.sizeName, kPrints.arg(size.prints), yen(size.amount)),
                          1, true});
            QString row;
            for (const QString& word : photoWords(size)) {
                const QString wider = row.isEmpty() ? word : row + QStringLiteral("  ") + word;
                if (!row.isEmpty() && metrics.horizontalAdvance(wider) > width) {
                    lines.append({row});
                    row = word;
                } else {
                    row = wider;
                }
            }
            if (!row.isEmpty())
                lines.append({row});
        }
        lines.append(
            {kTotalAmount + QStringLiteral("  ") + yen(pupil.amount) + QStringLiteral("円"), 1.2,
             true, true});
        if (heightOf(lines) <= area.height() || body * 0.9 < 4)
            break;
    }

    // Still too many numbers at the smallest size: the last ones give way to
    // a mark, the amount stays.
    if (heightOf(lines) > area.height()) {
        const SlipLine total = lines.takeLast();
        while (lines.size() > head.size() && heightOf(lines) + 2 * body * 1.3 > area.height())
            lines.removeLast();
        lines.append({kMore});
        lines.append(total);
    }

    painter.setPen(Qt::black);
    qreal y = area.top();
    for (const SlipLine& line : lines) {
        const qreal height = body * line.scale * 1.3;
        painter.setFont(fonts.gothic(body * line.scale, line.bold));
        drawLine(painter, QRectF(area.left(), y, width, height), line.text,
                 (line.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        y += height;
    }
}
