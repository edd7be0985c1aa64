// SPDX-License-Identifier: MIT
#include "gui/printing/report_layout.h"

#include "gui/printing/report_fonts.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

namespace ReportRendering {

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
    PupilName,
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
        case PupilName:
            return reportFont(ReportFace::Gothic, 9.5);
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

// A text on a page: where its baseline starts, in device pixels, and which
// of the layout's shaped texts it is.
struct TextOp {
    float x = 0;
    float y = 0;
    std::int32_t shaped = 0;
    QRgb colour = 0xff000000;
};

// A line, or the outline of a rectangle from its first corner to its
// second, in device pixels, with one of the layout's pens.
struct StrokeOp {
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;
    std::uint16_t pen = 0;
    bool rect = false;
};

struct Pen {
    float width = 0;
    QRgb colour = 0xff000000;
};

struct PageOps {
    std::vector<TextOp> texts;
    std::vector<StrokeOp> strokes;
};

// A text shaped once, in one font, with its glyphs (from the font or the
// faces standing in for it) placed from its baseline's start.
struct ShapedText {
    std::int32_t firstGlyph = 0;
    std::int32_t glyphCount = 0;
    qreal advance = 0;
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

// The report laid out over pages for a page size and resolution: what each
// page holds, and every text shaped once, so that any page is painted alone
// with a handful of calls. `device` gives the fonts' metrics at that
// resolution during run().
class Layout {
public:
    Layout(const ReportDocument& document, QPaintDevice* device, QSize size, int dpi)
        : doc_(document), device_(device), size_(size), dpi_(dpi) {
        pt_ = dpi / 72.0;
        width_ = size.width();
        height_ = size.height();
        for (int role = 0; role < FixedRoles; ++role)
            addFont(roleFont(FontRole(role)));
        runningHeaderHeight_ = metrics(RunningHeader).lineSpacing();
        bodyTop_ = runningHeaderHeight_ + 8 * pt_;
        bodyLine_ = metrics(Body).lineSpacing();
    }

    void run() {
        nameColumn_ = nameColumnWidth();
        newPage();
        firstPageHeader();
        for (qsizetype i = 0; i < doc_.blocks.size(); ++i) {
            const ReportBlock& block = doc_.blocks[i];
            const ReportBlock* next = i + 1 < doc_.blocks.size() ? &doc_.blocks[i + 1] : nullptr;
            std::visit([&](const auto& b) { place(b, next); }, block);
        }
        runningHeaders();
        device_ = nullptr;
        shapedIndex_.clear();
    }

    QSize size() const { return size_; }
    int dpi() const { return dpi_; }
    int pageCount() const { return int(pages_.size()); }

    // Paints a page (0-based) in device pixels. Texts go out in one run of
    // glyphs per face and colour, lines and boxes in one call per pen.
    void paintPage(QPainter& painter, int page) const {
        const PageOps& ops = pages_[std::size_t(page)];
        for (Run& run : runs_) {
            run.glyphs.clear();
            run.positions.clear();
        }
        for (const TextOp& op : ops.texts) {
            const ShapedText& shaped = shaped_[std::size_t(op.shaped)];
            const QPointF origin(op.x, op.y);
            for (std::int32_t g = shaped.firstGlyph; g < shaped.firstGlyph + shaped.glyphCount;
                 ++g) {
                const int rawFont = glyphFonts_[std::size_t(g)];
                auto run = std::find_if(runs_.begin(), runs_.end(), [&](const Run& r) {
                    return r.rawFont == rawFont && r.colour == op.colour;
                });
                if (run == runs_.end()) {
                    runs_.push_back({rawFont, op.colour, {}, {}});
                    run = runs_.end() - 1;
                }
                // On whole pixels of the layout's resolution (a 1/1200 inch
                // at the most from where shaping put it): a PDF's positions
                // are then short whole numbers.
                const QPointF at = origin + glyphPositions_[std::size_t(g)];
                run->glyphs.push_back(glyphs_[std::size_t(g)]);
                run->positions.emplace_back(std::round(at.x()), std::round(at.y()));
            }
        }
        painter.setBrush(Qt::NoBrush);
        for (const Run& run : runs_) {
            if (run.glyphs.empty())
                continue;
            QGlyphRun glyphRun;
            glyphRun.setRawFont(rawFonts_[std::size_t(run.rawFont)]);
            glyphRun.setRawData(run.glyphs.data(), run.positions.data(), int(run.glyphs.size()));
            painter.setPen(QColor::fromRgba(run.colour));
            painter.drawGlyphRun(QPointF(0, 0), glyphRun);
        }

        // Lines and boxes of one pen together, in the order of their pens.
        done_.assign(ops.strokes.size(), false);
        for (std::size_t i = 0; i < ops.strokes.size(); ++i) {
            if (done_[i])
                continue;
            const std::uint16_t pen = ops.strokes[i].pen;
            lines_.clear();
            rects_.clear();
            for (std::size_t j = i; j < ops.strokes.size(); ++j) {
                const StrokeOp& op = ops.strokes[j];
                if (done_[j] || op.pen != pen)
                    continue;
                done_[j] = true;
                const QPointF from(op.x1, op.y1);
                const QPointF to(op.x2, op.y2);
                if (op.rect)
                    rects_.append(QRectF(from, to));
                else
                    lines_.append(QLineF(from, to));
            }
            painter.setPen(QPen(QColor::fromRgba(pens_[pen].colour), pens_[pen].width));
            if (!lines_.isEmpty())
                painter.drawLines(lines_);
            if (!rects_.isEmpty())
                painter.drawRects(rects_);
        }
    }

    const QFontMetricsF& metrics(int font) const { return metrics_[font]; }

private:
    int addFont(const QFont& font) {
        fonts_.append(font);
        metrics_.append(QFontMetricsF(font, device_));
        shapedIndex_.emplace_back();
        digitsCompose_.push_back(-1);
        return int(fonts_.size() - 1);
    }

    // The text shaped in the font, once for the whole report: the glyphs as
    // drawText would place them, and its advance as the font's metrics
    // measure it. A run of digits is put together from its digits where the
    // font places them side by side, unchanged by their neighbours (the
    // photo numbers are most of a report's texts).
    std::int32_t shape(int font, const QString& text) {
        QHash<QString, std::int32_t>& index = shapedIndex_[std::size_t(font)];
        const auto it = index.constFind(text);
        if (it != index.constEnd())
            return *it;
        const std::int32_t id = text.size() > 1 && isDigits(text) && digitsCompose(font)
                                    ? composed(font, text)
                                    : shapedWhole(font, text);
        index.insert(text, id);
        return id;
    }

    static bool isDigits(const QString& text) {
        return std::all_of(text.begin(), text.end(),
                           [](QChar c) { return c >= u'0' && c <= u'9'; });
    }

    std::int32_t shapedWhole(int font, const QString& text) {
        ShapedText shaped;
        shaped.firstGlyph = std::int32_t(glyphs_.size());
        shaped.advance = metrics_[font].horizontalAdvance(text);
        QTextLayout layout(text, fonts_[font], device_);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        if (line.isValid()) {
            const QPointF baseline(0, line.y() + line.ascent());
            for (const QGlyphRun& run : layout.glyphRuns()) {
                const QRawFont rawFont = run.rawFont();
                auto known = std::find(rawFonts_.begin(), rawFonts_.end(), rawFont);
                if (known == rawFonts_.end()) {
                    rawFonts_.push_back(rawFont);
                    known = rawFonts_.end() - 1;
                }
                const auto rawIndex = std::uint16_t(known - rawFonts_.begin());
                const QVector<quint32> glyphs = run.glyphIndexes();
                const QVector<QPointF> positions = run.positions();
                for (qsizetype g = 0; g < glyphs.size(); ++g) {
                    glyphs_.push_back(glyphs[g]);
                    glyphPositions_.push_back(positions[g] - baseline);
                    glyphFonts_.push_back(rawIndex);
                }
            }
        }
        shaped.glyphCount = std::int32_t(glyphs_.size()) - shaped.firstGlyph;
        shaped_.push_back(shaped);
        return std::int32_t(shaped_.size() - 1);
    }

    // A run of digits from its digits' own glyphs, one after the other.
    std::int32_t composed(int font, const QString& text) {
        ShapedText shaped;
        shaped.firstGlyph = std::int32_t(glyphs_.size());
        for (const QChar c : text) {
            const ShapedText& digit = shaped_[std::size_t(shape(font, QString(c)))];
            const std::size_t g = std::size_t(digit.firstGlyph);
            glyphs_.push_back(glyphs_[g]);
            glyphPositions_.push_back(glyphPositions_[g] + QPointF(shaped.advance, 0));
            glyphFonts_.push_back(glyphFonts_[g]);
            shaped.advance += digit.advance;
        }
        shaped.glyphCount = std::int32_t(glyphs_.size()) - shaped.firstGlyph;
        shaped_.push_back(shaped);
        return std::int32_t(shaped_.size() - 1);
    }

    // Whether the font draws every digit with one glyph of its own and sets
    // any two side by side at their advances: then a run of digits is put
    // together as the shaping would give it. Found once per font.
    bool digitsCompose(int font) {
        int& known = digitsCompose_[std::size_t(font)];
        if (known >= 0)
            return known == 1;
        known = 0;
        for (char16_t d = u'0'; d <= u'9'; ++d) {
            const ShapedText& digit = shaped_[std::size_t(shape(font, QString(QChar(d))))];
            if (digit.glyphCount != 1 ||
                glyphPositions_[std::size_t(digit.firstGlyph)] != QPointF())
                return false;
        }
        for (char16_t a = u'0'; a <= u'9'; ++a) {
            for (char16_t b = u'0'; b <= u'9'; ++b) {
                const QString pair = QString(QChar(a)) + QChar(b);
                const std::int32_t whole = shapedWhole(font, pair);
                const std::int32_t parts = composed(font, pair);
                if (!sameShape(shaped_[std::size_t(whole)], shaped_[std::size_t(parts)]))
                    return false;
            }
        }
        known = 1;
        return true;
    }

    bool sameShape(const ShapedText& a, const ShapedText& b) const {
        if (a.glyphCount != b.glyphCount || a.advance != b.advance)
            return false;
        for (std::int32_t i = 0; i < a.glyphCount; ++i) {
            const auto x = std::size_t(a.firstGlyph + i);
            const auto y = std::size_t(b.firstGlyph + i);
            if (glyphs_[x] != glyphs_[y] || glyphPositions_[x] != glyphPositions_[y] ||
                glyphFonts_[x] != glyphFonts_[y])
                return false;
        }
        return true;
    }

    qreal advance(int font, const QString& text) {
        return shaped_[std::size_t(shape(font, text))].advance;
    }

    // The line at the top of every page, "page / pages" at its right and a
    // rule under it, once the pages are known.
    void runningHeaders() {
        const QFontMetricsF& m = metrics(RunningHeader);
        const qreal baseline = m.ascent();
        const qreal ruleY = runningHeaderHeight_ + 2 * pt_;
        QHash<qreal, QString> headers;  // by the room left beside the page number
        const int count = pageCount();
        for (int page = 0; page < count; ++page) {
            PageOps& ops = pages_[std::size_t(page)];
            const QString pageText = kPageFormat.arg(page + 1).arg(count);
            const qreal pageWidth = advance(RunningHeader, pageText);
            const qreal room = width_ - pageWidth - 12 * pt_;
            auto header = headers.constFind(room);
            if (header == headers.constEnd())
                header = headers.insert(room, runningHeaderText(doc_, m, room));
            ops.texts.push_back(textOp(RunningHeader, width_ - pageWidth, baseline, pageText));
            ops.texts.push_back(textOp(RunningHeader, 0, baseline, *header));
            ops.strokes.push_back(strokeOp(QPointF(0, ruleY), QPointF(width_, ruleY), 0.6, kBlack));
            ops.texts.shrink_to_fit();
            ops.strokes.shrink_to_fit();
        }
    }

    TextOp textOp(int font, qreal x, qreal baseline, const QString& s,
                  const QColor& colour = kBlack) {
        return {float(x), float(baseline), shape(font, s), colour.rgba()};
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
        pages_.back().texts.push_back(textOp(font, x, baseline, s, colour));
    }

    void textRight(int font, qreal right, qreal baseline, const QString& s,
                   const QColor& colour = kBlack) {
        text(font, right - advance(font, s), baseline, s, colour);
    }

    StrokeOp strokeOp(QPointF from, QPointF to, qreal penPoints, const QColor& colour,
                      bool rect = false) {
        const Pen pen{float(penPoints * pt_), colour.rgba()};
        auto known = std::find_if(pens_.begin(), pens_.end(), [&](const Pen& p) {
            return p.width == pen.width && p.colour == pen.colour;
        });
        if (known == pens_.end()) {
            pens_.push_back(pen);
            known = pens_.end() - 1;
        }
        return {float(from.x()),
                float(from.y()),
                float(to.x()),
                float(to.y()),
                std::uint16_t(known - pens_.begin()),
                rect};
    }

    void rect(const QRectF& r, qreal penPoints) {
        pages_.back().strokes.push_back(
            strokeOp(r.topLeft(), r.bottomRight(), penPoints, kBlack, true));
    }

    void line(QPointF from, QPointF to, qreal penPoints, const QColor& colour = kBlack) {
        pages_.back().strokes.push_back(strokeOp(from, to, penPoints, colour));
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

    // The room for the pupils' names beside their labels: the widest name,
    // up to a third of the page, so that the photo numbers keep most of the
    // width; a longer name is shortened to it. None without names.
    qreal nameColumnWidth() {
        qreal widest = 0;
        for (const ReportBlock& block : doc_.blocks) {
            if (const auto* pupil = std::get_if<PupilBlock>(&block);
                pupil && !pupil->name.isEmpty())
                widest = std::max(widest, advance(PupilName, pupil->name));
        }
        return std::min(widest, width_ / 3);
    }

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
        // With names, each beside its label and the numbers after them all.
        const qreal nameLeft = advance(PupilLabel, QStringLiteral("(8888)")) + 6 * pt_;
        const qreal labelWidth = nameColumn_ > 0
                                     ? nameLeft + nameColumn_ + 8 * pt_
                                     : advance(PupilLabel, QStringLiteral("(8888)")) + 8 * pt_;
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
                const qreal baseline = top + (rowHeight + m.ascent() - m.descent()) / 2;
                text(PupilLabel, 0, baseline, block.label);
                if (!block.name.isEmpty())
                    text(PupilName, nameLeft, baseline, nameShown(block.name));
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

    // The name as its column holds it: whole, or cut short with "…".
    QString nameShown(const QString& name) {
        if (advance(PupilName, name) <= nameColumn_)
            return name;
        return elided(PupilName, name, nameColumn_);
    }

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
    QPaintDevice* device_;  // during run() only
    QSize size_;
    int dpi_;
    QVector<QFont> fonts_;
    QVector<QFontMetricsF> metrics_;
    std::vector<QHash<QString, std::int32_t>> shapedIndex_;  // by font; during run() only
    std::vector<int> digitsCompose_;                         // by font: -1 not known yet
    std::vector<ShapedText> shaped_;
    std::vector<quint32> glyphs_;
    std::vector<QPointF> glyphPositions_;
    std::vector<std::uint16_t> glyphFonts_;  // into rawFonts_
    std::vector<QRawFont> rawFonts_;
    std::deque<PageOps> pages_;
    std::vector<Pen> pens_;
    // What painting a page gathers, kept from page to page.
    struct Run {
        int rawFont;
        QRgb colour;
        std::vector<quint32> glyphs;
        std::vector<QPointF> positions;
    };
    mutable std::vector<Run> runs_;
    mutable QVector<QLineF> lines_;
    mutable QVector<QRectF> rects_;
    mutable std::vector<bool> done_;
    qreal pt_ = 1;
    qreal width_ = 0;
    qreal height_ = 0;
    qreal runningHeaderHeight_ = 0;
    qreal bodyTop_ = 0;
    qreal bodyLine_ = 0;
    qreal nameColumn_ = 0;  // the pupils' names' room; 0 without names
    qreal y_ = 0;
};

}  // namespace ReportRendering

ReportLayout::ReportLayout(const ReportDocument& document, QPaintDevice* device, QSize size,
                           int dpi)
    : layout_(std::make_unique<ReportRendering::Layout>(document, device, size, dpi)) {
    layout_->run();
}

ReportLayout::~ReportLayout() = default;

QSize ReportLayout::size() const {
    return layout_->size();
}

int ReportLayout::dpi() const {
    return layout_->dpi();
}

int ReportLayout::pageCount() const {
    return layout_->pageCount();
}

void ReportLayout::paintPage(QPainter& painter, int page) const {
    layout_->paintPage(painter, page);
}
