// SPDX-License-Identifier: MIT
#pragma once

#include "domain/platform/platform.h"
#include "domain/tools/class_lists.h"

#include <QPageLayout>
#include <QVector>

class QPagedPaintDevice;

// A class list (class totals, pupils who have not ordered, the money list)
// on the reports' A4 page: on every page the title, the job and the column
// headings, then the rows a line each, numbers at the right with their
// thousands, a box to tick in a tick column, every class under its heading
// with its totals (on pages of its own where the list asks), and
// "page / pages" at the top.
class ListPages : public PrintDocument {
public:
    explicit ListPages(ClassList list);

    QPageLayout pageLayout() const override;
    int pageCount() override;
    void paintPage(QPainter& painter, int page) override;
    int print(QPrinter* printer) override;
    int print(QPagedPaintDevice* device);

    // The lines of a page.
    static constexpr int kLinesPerPage = 36;

private:
    enum class LineKind { Heading, Row, Subtotal, Total };
    struct Line {
        LineKind kind;
        int group;
        const ListRow* row;  // none for a heading
    };
    void paintOn(QPainter& painter, int page);
    const QVector<qreal>& columnWidths(const QPainter& painter, qreal width);

    ClassList list_;
    QVector<QVector<Line>> pages_;
    QVector<qreal> widths_;
    int widthsDpi_ = 0;
};
