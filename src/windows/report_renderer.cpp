// SPDX-License-Identifier: MIT
#include "windows/report_renderer.h"

#include "windows/report_fonts.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include <QFontMetricsF>
#include <QHash>
#include <QMarginsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

namespace {

const QString kContinued = QStringLiteral("（つづき）");
const QString kPageFormat = QStringLiteral("%1 / %2 ページ");
const QString kHeaderGap = QStringLiteral("　");

const QColor kBlack(0, 0, 0);
const QColor kZeroGrey(0x80, 0x80, 0x80);
const QColor kRuleGrey(0xb0, 0xb0, 0xb0);

enum FontRole {
    RunningHeader,
    Title,
    HeaderLabel,
    HeaderValue,
    Body,
    Heading,
    Total,
    Note,
    GridNumber,
    GridCount,
    GridZero,
    PupilLabel,
    PupilNumber,
    PupilNumberBold,
    PupilSummary,
    PupilAmount,
    FixedRoles
};

QFont roleFont(FontRole role) {
    switch (role) {
        case RunningHeader:
            return reportFont(ReportFace::Gothic, 8);
        case Title:
            return reportFont(ReportFace::Gothic, 16, true);
        case HeaderLabel:
            return reportFont(ReportFace::Gothic, 10.5);
        case HeaderValue:
            return reportFont(ReportFace::Mincho, 11);
        case Body:
            return reportFont(ReportFace::Mincho, 10);
        case Heading:
            return reportFont(ReportFace::Gothic, 11, true);
        case Total:
            return reportFont(ReportFace::Gothic, 10.5);
        case Note:
            return reportFont(ReportFace::Mincho, 9);
        case GridNumber:
            return reportFont(ReportFace::Gothic, 9);
        case GridCount:
            return reportFont(ReportFace::Mincho, 9, true);
        case GridZero:
            return reportFont(ReportFace::Mincho, 9);
        case PupilLabel:
            return reportFont(ReportFace::Gothic, 10, true);
        case PupilNumber:
            return reportFont(ReportFace::Gothic, 9.5);
        case PupilNumberBold:
            return reportFont(ReportFace::Gothic, 9.5, true);
        case PupilSummary:
            return reportFont(ReportFace::Mincho, 9);
        case PupilAmount:
            return reportFont(ReportFace::Gothic, 10, true);
        case FixedRoles:
            break;
    }
    return reportFont(ReportFace::Mincho, 10);
}

// One thing to paint on a page, in device pixels.
struct Op {
    enum class Kind : std::uint8_t { Text, Rect, Line };
    Kind kind = Kind::Text;
    std::uint8_t font = 0;
    QRgb colour = 0xff000000;
    qreal penWidth = 0;
    QPointF p;  // text baseline start, rect top left, line start
    QPointF q;  // rect size, line end
    QString text;
};

class Layout {
public:
    Layout(const ReportDocument& document, QPaintDevice* device) : doc_(document), device_(device) {
        pt_ = device->logicalDpiY() / 72.0;
        width_ = device->width();
        height_ = device->height();
        for (int role = 0; role < FixedRoles; ++role)
            addFont(roleFont(FontRole(role)));
        runningHeaderHeight_ = metrics(RunningHeader).lineSpacing();
        bodyTop_ = runningHeaderHeight_ + 8 * pt_;
        bodyLine_ = metrics(Body).lineSpacing();
    }

    void run() {
        newPage();
        firstPageHeader();
        for (qsizetype i = 0; i < doc_.blocks.size(); ++i) {
            const ReportBlock& block = doc_.blocks[i];
            const ReportBlock* next = i + 1 < doc_.blocks.size() ? &doc_.blocks[i + 1] : nullptr;
            std::visit([&](const auto& b) { place(b, next); }, block);
        }
    }

    const std::deque<QVector<Op>>& pages() const { return pages_; }
    const QVector<QFont>& fonts() const { return fonts_; }
    qreal pt() const { return pt_; }
    qreal width() const { return width_; }
    qreal runningHeaderHeight() const { return runningHeaderHeight_; }

    const QFontMetricsF& metrics(int font) const { return metrics_[font]; }

private:
    int addFont(const QFont& font) {
        fonts_.append(font);
        metrics_.append(QFontMetricsF(font, device_));
        advances_.append(QHash<QString, qreal>());
        return int(fonts_.size() - 1);
    }

    qreal advance(int font, const QString& text) {
        QHash<QString, qreal>& cache = advances_[font];
        const auto it = cache.constFind(text);
        if (it != cache.constEnd())
            return *it;
        const qreal w = metrics_[font].horizontalAdvance(text);
        if (cache.size() < 20000)
            cache.insert(text, w);
        return w;
    }

    qreal bottom() const { return height_; }

    void newPage() {
        pages_.emplace_back();
        y_ = bodyTop_;
    }

    bool atPageTop() const { return y_ <= bodyTop_; }

    // Starts a new page unless the height still fits on this one.
    void ensure(qreal h) {
        if (y_ + h > bottom() && !atPageTop())
            newPage();
    }

    void text(int font, qreal x, qreal baseline, const QString& s, const QColor& colour = kBlack) {
        Op op;
        op.kind = Op::Kind::Text;
        op.font = std::uint8_t(font);
        op.colour = colour.rgba();
        op.p = {x, baseline};
        op.text = s;
        pages_.back().append(std::move(op));
    }

    void textRight(int font, qreal right, qreal baseline, const QString& s,
                   const QColor& colour = kBlack) {
        text(font, right - advance(font, s), baseline, s, colour);
    }

    void rect(const QRectF& r, qreal penPoints) {
        Op op;
        op.kind = Op::Kind::Rect;
        op.penWidth = penPoints * pt_;
        op.p = r.topLeft();
        op.q = {r.width(), r.height()};
        pages_.back().append(std::move(op));
    }

    void line(QPointF from, QPointF to, qreal penPoints, const QColor& colour = kBlack) {
        Op op;
        op.kind = Op::Kind::Line;
        op.penWidth = penPoints * pt_;
        op.colour = colour.rgba();
        op.p = from;
        op.q = to;
        pages_.back().append(std::move(op));
    }

    QString elided(int font, const QString& s, qreal w) const {
        return metrics_[font].elidedText(s, Qt::ElideRight, w);
    }

    // A line of one font: returns its baseline and moves down past it.
    qreal takeLine(int font, qreal factor = 1.0) {
        const qreal h = metrics(font).lineSpacing() * factor;
        ensure(h);
        const qreal baseline = y_ + metrics(font).ascent();
        y_ += h;
        return baseline;
    }

    // The lines a text breaks into within a width, in one font: at blanks
    // where it can, anywhere in a run of Japanese or a word too long for the
    // width. A text never shortens.
    QStringList wrapped(int font, const QString& s, qreal w) const {
        QTextLayout layout(s, fonts_[font], device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        QStringList lines;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(w, qreal(1)));
            lines << s.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
        if (lines.isEmpty())
            lines << QString();
        return lines;
    }

    bool fitsOneLine(const QString& label, const QString& value, qreal w) {
        return advance(HeaderLabel, label) + advance(HeaderValue, value) <= w;
    }

    // The title and the job header, every text of it whole: two fields side
    // by side where both fit half the width, otherwise each on its own
    // lines across the page.
    void firstPageHeader() {
        text(Title, 0, takeLine(Title, 1.3), doc_.title);
        y_ += 2 * pt_;
        const ReportHeader& h = doc_.header;
        const std::pair<QString, QString> rows[2][2] = {
            {{ReportText::customerLabel, h.customerName}, {ReportText::eventLabel, h.eventName}},
            {{ReportText::shootingDateLabel, h.shootingDate},
             {ReportText::photographerLabel, h.photographerName}},
        };
        const qreal column = width_ / 2;
        const qreal gap = 6 * pt_;
        const qreal lineHeight =
            std::max(metrics(HeaderLabel).lineSpacing(), metrics(HeaderValue).lineSpacing());
        const qreal rowHeight = lineHeight * 1.25;
        for (const auto& row : rows) {
            if (fitsOneLine(row[0].first, row[0].second, column - gap) &&
                fitsOneLine(row[1].first, row[1].second, column - gap)) {
                ensure(rowHeight);
                const qreal baseline = y_ + metrics(HeaderValue).ascent();
                for (int c = 0; c < 2; ++c) {
                    const auto& [label, value] = row[c];
                    text(HeaderLabel, c * column, baseline, label);
                    text(HeaderValue, c * column + advance(HeaderLabel, label), baseline, value);
                }
                y_ += rowHeight;
                continue;
            }
            for (const auto& [label, value] : row) {
                const qreal labelWidth = advance(HeaderLabel, label);
                const QStringList lines = wrapped(HeaderValue, value, width_ - labelWidth);
                // Kept together where it fits a page; a longer value goes on
                // over the next, line by line.
                ensure(std::min(lines.size() * lineHeight, bottom() - bodyTop_));
                const qreal ascent = metrics(HeaderValue).ascent();
                for (qsizetype i = 0; i < lines.size(); ++i) {
                    ensure(lineHeight);
                    if (i == 0)
                        text(HeaderLabel, 0, y_ + ascent, label);
                    text(HeaderValue, labelWidth, y_ + ascent, lines[i]);
                    y_ += i + 1 < lines.size() ? lineHeight : rowHeight;
                }
            }
        }
        placeRule(ReportText::longRule);
        y_ += bodyLine_ * 0.5;
    }

    void placeRule(const QString& underscores) {
        QFont font = fonts_[Body];
        const qreal w = metrics(Body).horizontalAdvance(underscores);
        if (w > width_)
            font.setPointSizeF(font.pointSizeF() * width_ / w * 0.995);
        const int f = ruleFont(font);
        text(f, 0, takeLine(f), underscores);
    }

    int ruleFont(const QFont& font) {
        for (int i = FixedRoles; i < fonts_.size(); ++i) {
            if (fonts_[i] == font)
                return i;
        }
        return addFont(font);
    }

    static int fontOf(TextStyle style) {
        switch (style) {
            case TextStyle::Body:
                return Body;
            case TextStyle::Heading:
                return Heading;
            case TextStyle::Total:
                return Total;
            case TextStyle::Note:
                return Note;
        }
        return Body;
    }

    // The height of the first line of a block: what must stay with a heading.
    qreal firstLineHeight(const ReportBlock* block) const {
        if (!block)
            return 0;
        if (std::holds_alternative<CountGridBlock>(*block))
            return gridRowHeight() * 2;
        if (std::holds_alternative<PupilBlock>(*block))
            return pupilRowHeight() * 2;
        if (const auto* t = std::get_if<TextBlock>(block))
            return metrics(fontOf(t->style)).lineSpacing();
        return 0;
    }

    void place(const TextBlock& block, const ReportBlock* next) {
        const int font = fontOf(block.style);
        const qreal factor = block.style == TextStyle::Heading ? 1.4 : 1.15;
        const qreal h = metrics(font).lineSpacing() * factor;
        if (block.style == TextStyle::Heading)
            ensure(h + firstLineHeight(next));
        const qreal baseline = takeLine(font, factor);
        qreal room = width_;
        if (!block.right.isEmpty()) {
            textRight(font, width_, baseline, block.right);
            room -= advance(font, block.right) + 12 * pt_;
        }
        text(font, 0, baseline, elided(font, block.left, room));
    }

    void place(const RuleBlock& block, const ReportBlock*) { placeRule(block.underscores); }

    void place(const SpaceBlock& block, const ReportBlock*) {
        if (!atPageTop())
            y_ += bodyLine_ * block.lines;
    }

    qreal gridRowHeight() const { return metrics(GridNumber).lineSpacing() * 1.12; }

    void place(const CountGridBlock& block, const ReportBlock*) {
        if (block.cells.isEmpty())
            return;
        int widestNumber = 0;
        Number widestCount = 0;
        for (const PhotoCount& cell : block.cells) {
            widestNumber = std::max(widestNumber, cell.photoNumber);
            widestCount = std::max(widestCount, cell.prints);
        }
        const qreal numberWidth = advance(GridNumber, QString::number(widestNumber));
        const qreal countWidth = std::max(advance(GridCount, plainDecimal(widestCount)),
                                          advance(GridCount, QStringLiteral("00")));
        const qreal gap = 4 * pt_;
        const qreal columnGap = 10 * pt_;
        const qreal narrowest = numberWidth + gap + countWidth + columnGap;
        const int fits = std::max(1, int((width_ + columnGap) / narrowest));
        const int columns = fits >= 10 ? 10 : fits >= 5 ? 5 : fits;
        // The columns share the whole width.
        const qreal cellWidth = std::max(narrowest, (width_ + columnGap) / columns);
        const qreal countGap = gap + (cellWidth - narrowest) * 0.25;
        const qreal rowHeight = gridRowHeight();
        const qreal ascent = metrics(GridNumber).ascent();

        const qsizetype rows = (block.cells.size() + columns - 1) / columns;
        for (qsizetype r = 0; r < rows; ++r) {
            if (y_ + rowHeight > bottom()) {
                newPage();
                text(Heading, 0, takeLine(Heading, 1.3), block.heading + kContinued);
            }
            const qreal baseline = y_ + ascent;
            for (int c = 0; c < columns; ++c) {
                const qsizetype i = r * columns + c;
                if (i >= block.cells.size())
                    break;
                const PhotoCount& cell = block.cells[i];
                const qreal x = c * cellWidth;
                textRight(GridNumber, x + numberWidth, baseline, QString::number(cell.photoNumber));
                const qreal countRight = x + numberWidth + countGap + countWidth;
                if (cell.prints == 0)
                    textRight(GridZero, countRight, baseline, QStringLiteral("0"), kZeroGrey);
                else
                    textRight(GridCount, countRight, baseline, plainDecimal(cell.prints));
            }
            // A faint line every five rows guides the eye across wide rows.
            y_ += rowHeight;
            if ((r + 1) % 5 == 0 && r + 1 < rows)
                line({0, y_ - rowHeight * 0.1},
                     {columns * cellWidth - columnGap, y_ - rowHeight * 0.1}, 0.3, kRuleGrey);
        }
        y_ += rowHeight * 0.3;
    }

    qreal pupilRowHeight() const { return metrics(PupilNumber).lineSpacing() + 3.5 * pt_; }

    // Draws a photo number with its mark in a cell whose number column ends
    // at right.
    void markedNumber(const MarkedNumber& n, qreal left, qreal right, qreal top, qreal rowHeight) {
        const qreal pad = 2 * pt_;
        const int font = n.mark == NumberMark::Boxed ? PupilNumberBold : PupilNumber;
        const QFontMetricsF& m = metrics(font);
        const qreal boxTop = top + 0.6 * pt_;
        const qreal boxHeight = rowHeight - 1.8 * pt_;
        const qreal baseline = boxTop + (boxHeight + m.ascent() - m.descent()) / 2;
        const qreal w = advance(font, n.text);
        text(font, right - w, baseline, n.text);
        if (n.mark == NumberMark::Boxed)
            rect(QRectF(left, boxTop, right - left + pad, boxHeight), 0.8);
        else if (n.mark == NumberMark::Underlined)
            line({right - w, baseline + 1.8 * pt_}, {right, baseline + 1.8 * pt_}, 1.0);
    }

    void place(const PupilBlock& block, const ReportBlock*) {
        const qreal pad = 2 * pt_;
        const qreal labelWidth = advance(PupilLabel, QStringLiteral("(8888)")) + 8 * pt_;
        qreal numberWidth = advance(PupilNumberBold, QStringLiteral("8888"));
        for (const MarkedNumber& n : block.numbers)
            numberWidth = std::max(numberWidth, advance(PupilNumberBold, n.text));
        const qreal cellWidth = numberWidth + 2 * pad + 3 * pt_;
        const qreal area = width_ - labelWidth;
        const int columns = std::max(1, int((area + 3 * pt_) / cellWidth));
        const qsizetype rows =
            std::max<qsizetype>(1, (block.numbers.size() + columns - 1) / columns);
        const qreal rowHeight = pupilRowHeight();
        const qreal summaryHeight = metrics(PupilAmount).lineSpacing() * 1.1;
        const qreal blockHeight = rows * rowHeight + summaryHeight + 4 * pt_;

        // Keep a pupil on one page; one taller than a page runs over by rows.
        ensure(std::min(blockHeight, bottom() - bodyTop_));
        for (qsizetype r = 0; r < rows; ++r) {
            ensure(rowHeight);
            const qreal top = y_;
            if (r == 0 || atPageTopOfRow(top)) {
                const QFontMetricsF& m = metrics(PupilLabel);
                text(PupilLabel, 0, top + (rowHeight + m.ascent() - m.descent()) / 2, block.label);
            }
            for (int c = 0; c < columns; ++c) {
                const qsizetype i = r * columns + c;
                if (i >= block.numbers.size())
                    break;
                const qreal left = labelWidth + c * cellWidth;
                markedNumber(block.numbers[i], left, left + pad + numberWidth, top, rowHeight);
            }
            y_ += rowHeight;
        }
        ensure(summaryHeight);
        const qreal baseline = y_ + metrics(PupilAmount).ascent();
        text(PupilSummary, labelWidth, baseline, block.summary);
        textRight(PupilAmount, width_, baseline, block.amount);
        y_ += summaryHeight + 1.5 * pt_;
        line({0, y_}, {width_, y_}, 0.4, kRuleGrey);
        y_ += 2.5 * pt_;
    }

    bool atPageTopOfRow(qreal top) const { return top <= bodyTop_; }

    void place(const LegendBlock& block, const ReportBlock*) {
        const qreal rowHeight = pupilRowHeight();
        ensure(rowHeight);
        const qreal top = y_;
        const QFontMetricsF& m = metrics(Body);
        const qreal baseline = top + (rowHeight + m.ascent() - m.descent()) / 2;
        qreal x = 0;
        text(Body, x, baseline, block.caption);
        x += advance(Body, block.caption) + 4 * pt_;
        for (const auto& [sample, caption] : block.items) {
            const qreal w = advance(PupilNumberBold, sample.text);
            markedNumber(sample, x, x + 2 * pt_ + w, top, rowHeight);
            x += w + 6 * pt_;
            const QString s = QStringLiteral("＝") + caption;
            text(Body, x, baseline, s);
            x += advance(Body, s) + 14 * pt_;
        }
        y_ += rowHeight;
    }

    const ReportDocument& doc_;
    QPaintDevice* device_;
    QVector<QFont> fonts_;
    QVector<QFontMetricsF> metrics_;
    QVector<QHash<QString, qreal>> advances_;
    std::deque<QVector<Op>> pages_;
    qreal pt_ = 1;
    qreal width_ = 0;
    qreal height_ = 0;
    qreal runningHeaderHeight_ = 0;
    qreal bodyTop_ = 0;
    qreal bodyLine_ = 0;
    qreal y_ = 0;
};

// The widest cap that values of these widths can share within the room:
// the narrow ones keep their width, the rest are cut to the cap.
qreal sharedCap(std::vector<qreal> widths, qreal room) {
    std::sort(widths.begin(), widths.end());
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const qreal share = room / qreal(widths.size() - i);
        if (widths[i] > share)
            return share;
        room -= widths[i];
    }
    return widths.empty() ? room : widths.back();
}

// The line at the top of every page: the report's name and the job header.
// When it is too long for the width, the customer and the event (the long
// ones) are shortened first, to one common width; the date and the
// photographer only when that is not enough. All four are printed whole on
// the first page.
QString runningHeaderText(const ReportDocument& doc, const QFontMetricsF& m, qreal width) {
    const ReportHeader& h = doc.header;
    const QString labels[4] = {ReportText::customerLabel, ReportText::eventLabel,
                               ReportText::shootingDateLabel, ReportText::photographerLabel};
    QString values[4] = {h.customerName, h.eventName, h.shootingDate, h.photographerName};
    const auto join = [&] {
        QString line = doc.title;
        for (int i = 0; i < 4; ++i)
            line += kHeaderGap + labels[i] + values[i];
        return line;
    };
    const QString whole = join();
    if (m.horizontalAdvance(whole) <= width)
        return whole;

    qreal room = width - m.horizontalAdvance(doc.title);
    qreal natural[4];
    for (int i = 0; i < 4; ++i) {
        room -= m.horizontalAdvance(kHeaderGap + labels[i]);
        natural[i] = m.horizontalAdvance(values[i]);
    }
    const qreal shortest = m.horizontalAdvance(QStringLiteral("あい…"));
    if (room < 4 * shortest)
        return m.elidedText(whole, Qt::ElideRight, width);
    const auto cut = [&](std::initializer_list<int> which, qreal cap) {
        for (int i : which) {
            if (natural[i] > cap)
                values[i] = m.elidedText(values[i], Qt::ElideRight, cap);
        }
    };
    const qreal capOfLongOnes = sharedCap({natural[0], natural[1]}, room - natural[2] - natural[3]);
    if (capOfLongOnes >= shortest)
        cut({0, 1}, capOfLongOnes);
    else
        cut({0, 1, 2, 3}, sharedCap({natural[0], natural[1], natural[2], natural[3]}, room));
    return join();
}

void paintPage(QPainter& painter, const Layout& layout, const QVector<Op>& ops,
               const ReportDocument& document, const QString& pageText) {
    const qreal pt = layout.pt();
    const QFontMetricsF& hm = layout.metrics(RunningHeader);
    painter.setFont(layout.fonts()[RunningHeader]);
    painter.setPen(kBlack);
    const qreal pageWidth = hm.horizontalAdvance(pageText);
    const qreal baseline = hm.ascent();
    painter.drawText(QPointF(layout.width() - pageWidth, baseline), pageText);
    painter.drawText(QPointF(0, baseline),
                     runningHeaderText(document, hm, layout.width() - pageWidth - 12 * pt));
    const qreal ruleY = layout.runningHeaderHeight() + 2 * pt;
    painter.setPen(QPen(kBlack, 0.6 * pt));
    painter.drawLine(QPointF(0, ruleY), QPointF(layout.width(), ruleY));

    int currentFont = -1;
    QRgb currentColour = 0;
    painter.setPen(kBlack);
    bool textPen = true;
    for (const Op& op : ops) {
        switch (op.kind) {
            case Op::Kind::Text:
                if (op.font != currentFont) {
                    painter.setFont(layout.fonts()[op.font]);
                    currentFont = op.font;
                }
                if (!textPen || op.colour != currentColour) {
                    painter.setPen(QColor::fromRgba(op.colour));
                    currentColour = op.colour;
                    textPen = true;
                }
                painter.drawText(op.p, op.text);
                break;
            case Op::Kind::Rect:
                painter.setPen(QPen(QColor::fromRgba(op.colour), op.penWidth));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRectF(op.p, QSizeF(op.q.x(), op.q.y())));
                textPen = false;
                break;
            case Op::Kind::Line:
                painter.setPen(QPen(QColor::fromRgba(op.colour), op.penWidth));
                painter.drawLine(op.p, op.q);
                textPen = false;
                break;
        }
    }
}

}  // namespace

QPageLayout reportPageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

int countReportPages(const ReportDocument& document, QPagedPaintDevice* device) {
    Layout layout(document, device);
    layout.run();
    return int(layout.pages().size());
}

int paintReport(const ReportDocument& document, QPagedPaintDevice* device) {
    Layout layout(document, device);
    layout.run();
    const int pageCount = int(layout.pages().size());

    int first = 1;
    int last = pageCount;
    if (auto* printer = dynamic_cast<QPrinter*>(device)) {
        if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
            first = std::max(1, printer->fromPage());
            last = std::min(pageCount, printer->toPage() > 0 ? printer->toPage() : pageCount);
        }
    }
    if (first > last)
        return pageCount;

    QPainter painter;
    if (!painter.begin(device))
        return 0;
    painter.setRenderHint(QPainter::Antialiasing);
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device->newPage();
        paintPage(painter, layout, layout.pages()[page - 1], document,
                  kPageFormat.arg(page).arg(pageCount));
    }
    painter.end();
    return pageCount;
}
