// SPDX-License-Identifier: MIT
#include "gui/printing/list_pages.h"

#include "gui/printing/paged_print.h"
#include "gui/printing/report_renderer.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace {

QString cellText(const ListCell& cell) {
    if (const qint64* number = std::get_if<qint64>(&cell))
        return QLocale(QLocale::Japanese).toString(qlonglong(*number));
    return std::get<QString>(cell);
}

}  // namespace

ListPages::ListPages(ClassList list) : list_(std::move(list)) {
    // Lines to pages: a heading never last on its page.
    QVector<Line> lines;
    for (int g = 0; g < list_.groups.size(); ++g) {
        const ClassList::Group& group = list_.groups[g];
        if (!group.heading.isEmpty())
            lines.append({LineKind::Heading, g, nullptr});
        for (const ListRow& row : group.rows)
            lines.append({LineKind::Row, g, &row});
        if (!group.total.isEmpty())
            lines.append({LineKind::Subtotal, g, &group.total});
    }
    if (!list_.total.isEmpty())
        lines.append({LineKind::Total, -1, &list_.total});
    pages_.emplaceBack();
    for (int i = 0; i < lines.size(); ++i) {
        const bool heading = lines[i].kind == LineKind::Heading;
        const bool newClass = heading && list_.pagePerGroup && !pages_.last().isEmpty();
        const bool headingAtFoot = heading && pages_.last().size() == kLinesPerPage - 1;
        if (pages_.last().size() == kLinesPerPage || headingAtFoot || newClass)
            pages_.emplaceBack();
        pages_.last().append(lines[i]);
    }
}

QPageLayout ListPages::pageLayout() const {
    return reportPageLayout();
}

int ListPages::pageCount() {
    return int(pages_.size());
}

void ListPages::paintPage(QPainter& painter, int page) {
    if (page < 1 || page > pageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintOn(painter, page);
    painter.restore();
}

const QVector<qreal>& ListPages::columnWidths(const QPainter& painter, qreal width) {
    // Measured once for the device's resolution: the preview paints a page
    // again at every scroll.
    const int dpi = painter.device()->logicalDpiY();
    if (widthsDpi_ == dpi)
        return widths_;
    // The columns as wide as their widest text, the spare width to the widest.
    const int columns = int(list_.columns.size());
    QVector<qreal> widths(columns, 0);
    const QFontMetricsF metrics(pointFont(painter, ReportFace::Gothic, 10, true), painter.device());
    const auto measure = [&](const ListRow& row) {
        for (int c = 0; c < std::min<int>(columns, int(row.size())); ++c)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(cellText(row[c])));
    };
    for (int c = 0; c < columns; ++c)
        widths[c] = metrics.horizontalAdvance(list_.columns[c]);
    for (const ClassList::Group& group : list_.groups) {
        for (const ListRow& row : group.rows)
            measure(row);
        measure(group.total);
    }
    measure(list_.total);
    qreal used = 0;
    for (qreal& w : widths)
        used += (w += 12);
    if (columns > 0 && used < width)
        *std::max_element(widths.begin(), widths.end()) += width - used;
    else if (used > 0)
        for (qreal& w : widths)
            w *= width / used;
    widths_ = widths;
    widthsDpi_ = dpi;
    return widths_;
}

void ListPages::paintOn(QPainter& painter, int page) {
    const QRectF area(QPointF(0, 0), pageLayout().paintRect(QPageLayout::Point).size());
    const QFont title = pointFont(painter, ReportFace::Gothic, 14, true);
    const QFont small = pointFont(painter, ReportFace::Mincho, 8);
    const QFont body = pointFont(painter, ReportFace::Mincho, 10);
    const QFont bold = pointFont(painter, ReportFace::Gothic, 10, true);
    painter.setPen(Qt::black);

    const QVector<qreal>& widths = columnWidths(painter, area.width());
    const int columns = int(widths.size());

    const qreal line = (area.height() - 70) / (kLinesPerPage + 1);
    qreal y = 0;
    painter.setFont(title);
    painter.drawText(QRectF(0, y, area.width(), 22), Qt::AlignLeft | Qt::AlignVCenter, list_.title);
    painter.setFont(small);
    painter.drawText(QRectF(0, y, area.width(), 22), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("%1 / %2").arg(page).arg(pageCount()));
    y += 24;
    painter.drawText(
        QRectF(0, y, area.width(), 14), Qt::AlignLeft | Qt::AlignVCenter,
        QStringList{list_.header.customerName, list_.header.eventName, list_.header.shootingDate}
            .join(QStringLiteral("  ")));
    y += 24;

    const auto drawRow = [&](const QStringList& texts, const QVector<bool>& right, bool box) {
        qreal x = 0;
        for (int c = 0; c < columns; ++c) {
            const QRectF cell(x, y, widths[c], line);
            if (box && list_.tickColumns.contains(c)) {
                const qreal side = line * 0.6;
                painter.drawRect(
                    QRectF(cell.center() - QPointF(side / 2, side / 2), QSizeF(side, side)));
            } else if (c < texts.size()) {
                painter.drawText(
                    cell.adjusted(4, 0, -4, 0),
                    int((right.value(c) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter),
                    texts[c]);
            }
            x += widths[c];
        }
        y += line;
    };
    painter.setFont(bold);
    drawRow(list_.columns, QVector<bool>(columns, false), false);
    painter.setPen(QPen(Qt::black, 0.8));
    painter.drawLine(QPointF(0, y), QPointF(area.width(), y));

    for (const Line& entry : pages_[page - 1]) {
        if (entry.kind == LineKind::Heading) {
            painter.setFont(bold);
            painter.drawText(QRectF(0, y, area.width(), line), Qt::AlignLeft | Qt::AlignBottom,
                             list_.groups[entry.group].heading);
            y += line;
            continue;
        }
        QStringList texts;
        QVector<bool> right;
        for (const ListCell& cell : *entry.row) {
            texts.append(cellText(cell));
            right.append(std::holds_alternative<qint64>(cell));
        }
        const bool sum = entry.kind != LineKind::Row;
        painter.setFont(sum ? bold : body);
        if (sum) {
            painter.setPen(QPen(Qt::black, entry.kind == LineKind::Total ? 1.0 : 0.4));
            painter.drawLine(QPointF(0, y), QPointF(area.width(), y));
        }
        painter.setPen(QPen(Qt::black, 0.5));
        drawRow(texts, right, !sum);
        if (!sum) {
            painter.setPen(QPen(Qt::lightGray, 0.3));
            painter.drawLine(QPointF(0, y), QPointF(area.width(), y));
            painter.setPen(Qt::black);
        }
    }
}

int ListPages::print(QPagedPaintDevice* device) {
    device->setPageLayout(pageLayout());
    return paintPages(device, 1, pageCount(), [this](QPainter& p, int page) { paintOn(p, page); });
}

int ListPages::print(QPrinter* printer) {
    printer->setPageLayout(pageLayout());
    const auto [first, last] = printerPageRange(*printer, pageCount());
    return paintPages(printer, first, last, [this](QPainter& p, int page) { paintOn(p, page); });
}
