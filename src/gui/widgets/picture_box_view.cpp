// SPDX-License-Identifier: MIT
#include "gui/widgets/picture_box_view.h"

#include <algorithm>
#include <cmath>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFontMetricsF>
#include <QHash>
#include <QMap>
#include <QPaintEvent>
#include <QPainter>

namespace {

QColor toColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

int toPixels(int twips) {
    return (twips + PictureBoxView::kTwipsPerPixel / 2) / PictureBoxView::kTwipsPerPixel;
}

// The characters a record puts into the picture: their glyphs decide how
// high and how low the face draws. Numbers and amounts have no brackets.
const QString kNumberCharacters = QStringLiteral("0123456789\u00A5.-");
const QString kLabelCharacters = QStringLiteral("0123456789()");

// Pixels a point makes at the 96 pixels to the inch that twips are drawn at.
constexpr qreal kPixelsPerPoint = 96.0 / 72.0;

// Texts a face keeps set: more than the photo numbers a job has.
constexpr int kTextsKept = 20000;

// Space kept between a text and the next text of its row, in pixels.
constexpr qreal kTextGap = 2;

}  // namespace

namespace {

// What a screen reader is given for a picture box: a graphic whose value is
// its texts, row by row, read from the picture when asked.
class PictureBoxAccessible : public QAccessibleWidget {
public:
    explicit PictureBoxAccessible(PictureBoxView* view)
        : QAccessibleWidget(view, QAccessible::Graphic) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value || kind == QAccessible::Description)
            return PictureBoxView::textRows(static_cast<PictureBoxView*>(widget())->picture());
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("PictureBoxView") && object && object->isWidgetType())
        return new PictureBoxAccessible(static_cast<PictureBoxView*>(object));
    return nullptr;
}

}  // namespace

PictureBoxView::PictureBoxView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(accessible);
}

QString PictureBoxView::textRows(const PictureBox& box) {
    QMap<int, QMap<int, QStringList>> rows;  // y, then x
    for (const DrawOp& op : box.ops)
        if (op.kind == DrawOp::Kind::Text && !op.text.trimmed().isEmpty())
            rows[op.y][op.x] << displayText(op.text).trimmed();
    QStringList lines;
    for (const QMap<int, QStringList>& row : rows) {
        QStringList texts;
        for (const QStringList& at : row)
            texts << at;
        lines << texts.join(u' ');
    }
    return lines.join(u'\n');
}

void PictureBoxView::setBackground(Rgb colour) {
    background_ = colour;
    update();
}

void PictureBoxView::showPicture(const PictureBox& box) {
    if (shownOnce_ && box.revision == box_.revision)
        return;
    box_ = box;
    shownOnce_ = true;
    laidOut_ = false;
    update();
}

QString PictureBoxView::displayText(const QString& text) {
    QString shown = text;
    shown.replace(u'\\', QChar(0x00A5));
    return shown;
}

void PictureBoxView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        faces_.clear();
        laidOut_ = false;
    }
    QWidget::changeEvent(event);
}

void PictureBoxView::resizeEvent(QResizeEvent* event) {
    laidOut_ = false;  // texts keep within the picture's right edge
    QWidget::resizeEvent(event);
}

PictureBoxView::Face& PictureBoxView::faceFor(int fontPoints, bool withBrackets) {
    const int key = fontPoints * 2 + (withBrackets ? 1 : 0);
    auto found = faces_.find(key);
    if (found != faces_.end())
        return *found;

    // The pixels a row gives its glyphs: the rule lands at least this far
    // below the text's top (16 of 16.7 pixels, after rounding), and one pixel
    // row stays clear above it.
    const qreal room = std::floor(qreal(kRowHeightTwips) / kTwipsPerPixel) - 1;
    const qreal dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
    Face face;
    face.font = font();
    qreal pixels = fontPoints * kPixelsPerPoint;
    QRectF ink;
    for (int attempt = 0; attempt < 4; ++attempt) {
        // Sized in pixels at the twips' own scale, so that a larger font
        // setting of the system does not outgrow the fixed rows.
        face.font.setPointSizeF(pixels * 72.0 / dpi);
        ink = QFontMetricsF(face.font, this)
                  .tightBoundingRect(withBrackets ? kLabelCharacters : kNumberCharacters);
        if (ink.height() <= room || ink.height() <= 0)
            break;
        pixels *= room / ink.height();  // a face too tall for the row is set smaller
    }
    const QFontMetricsF metrics(face.font, this);
    face.raw = QRawFont::fromFont(face.font);
    face.ascent = metrics.ascent();
    face.height = metrics.height();
    // The top of the text at the top of the row, as long as the lowest glyph
    // stays above the rule; a face that draws low moves up.
    const qreal lowest = std::ceil(std::max<qreal>(ink.bottom(), 0));
    face.baseline = std::floor(std::min(metrics.ascent(), room - lowest));
    face.baseline = std::max<qreal>(face.baseline, std::ceil(-ink.top()) - 1);
    return *faces_.insert(key, face);
}

PictureBoxView::Face::Set PictureBoxView::setText(Face& face, const QString& shown) {
    Face::Set set;
    QVector<quint32> indexes;
    QVector<QPointF> positions;
    qreal x = 0;
    qreal inked = 0;
    for (const QChar c : shown) {
        auto glyph = face.glyphs.find(c);
        if (glyph == face.glyphs.end()) {
            Face::Glyph made;
            const QVector<quint32> found = face.raw.isValid()
                                               ? face.raw.glyphIndexesForString(QString(c))
                                               : QVector<quint32>();
            if (found.size() == 1 && found[0] != 0) {
                made.index = found[0];
                made.advance = face.raw.advancesForGlyphIndexes(found).value(0).x();
            }
            glyph = face.glyphs.insert(c, made);
        }
        if (glyph->index == 0) {
            // Not in the face: drawn as text, with the system's fallback.
            set = {};
            set.unset = shown;
            set.width = QFontMetricsF(face.font, this).horizontalAdvance(shown.trimmed());
            return set;
        }
        indexes.append(glyph->index);
        positions.append(QPointF(x, 0));
        x += glyph->advance;
        if (!c.isSpace())
            inked = x;
    }
    set.run.setRawFont(face.raw);
    set.run.setGlyphIndexes(indexes);
    set.run.setPositions(positions);
    set.width = inked;
    return set;
}

void PictureBoxView::layOut() {
    // The left edge of the texts of each row (by their top in twips).
    QHash<int, QVector<int>> rowStarts;
    for (const DrawOp& op : box_.ops)
        if (op.kind == DrawOp::Kind::Text)
            rowStarts[op.y].append(op.x);

    for (Face& face : faces_)
        if (face.texts.size() > kTextsKept)
            face.texts.clear();
    texts_.resize(box_.ops.size());
    const qreal rightEdge = width();
    for (int i = 0; i < box_.ops.size(); ++i) {
        const DrawOp& op = box_.ops[i];
        TextLayout& text = texts_[i];
        if (op.kind == DrawOp::Kind::Point) {
            text = {};
            text.bounds = QRect(toPixels(op.x), toPixels(op.y), 1, 1);
            continue;
        }
        if (op.kind == DrawOp::Kind::Line) {
            text = {};
            text.bounds =
                QRect(QPoint(toPixels(std::min(op.x, op.x2)), toPixels(std::min(op.y, op.y2))),
                      QPoint(toPixels(std::max(op.x, op.x2)), toPixels(std::max(op.y, op.y2))))
                    .adjusted(-1, -1, 1, 1);
            continue;
        }
        const bool label = op.text.contains(u')') || op.text.contains(u'(');
        Face& face = faceFor(op.fontPoints, label);
        text.face = &face;
        auto set = face.texts.find(op.text);
        if (set == face.texts.end()) {
            const QString shown = displayText(op.text);
            const Face::Set made = setText(face, shown);
            set = face.texts.insert(op.text, made);
        }
        text.set = *set;
        // Up to the next text of the row, or the picture's right edge.
        qreal end = rightEdge;
        for (const int x : rowStarts.value(op.y))
            if (x > op.x)
                end = std::min<qreal>(end, toPixels(x) - kTextGap);
        const qreal room = end - toPixels(op.x);
        text.scale = text.set.width > room && room > 0 ? room / text.set.width : 1;
        const qreal top = toPixels(op.y) + face.baseline - face.ascent;
        text.bounds =
            QRectF(toPixels(op.x) - 1, top - 1, text.set.width * text.scale + 4, face.height + 2)
                .toAlignedRect();
    }
    laidOut_ = true;
}

void PictureBoxView::paintEvent(QPaintEvent* event) {
    if (!laidOut_ || texts_.size() != box_.ops.size())
        layOut();
    // Often only a strip of the box needs painting (a control next to it
    // changed): only the ops that reach into it are drawn.
    const QRect dirty = event->rect();
    QPainter painter(this);
    painter.fillRect(dirty, toColor(background_));
    // The pen of the texts, set only when it changes.
    Rgb penColour;
    bool penSet = false;
    for (int i = 0; i < box_.ops.size(); ++i) {
        const DrawOp& op = box_.ops[i];
        const TextLayout& text = texts_[i];
        if (!text.bounds.intersects(dirty))
            continue;
        switch (op.kind) {
            case DrawOp::Kind::Point:
                painter.fillRect(text.bounds, toColor(op.colour));
                break;
            case DrawOp::Kind::Text: {
                if (!penSet || !(penColour == op.colour)) {
                    painter.setPen(toColor(op.colour));
                    penColour = op.colour;
                    penSet = true;
                }
                const QPointF origin(toPixels(op.x), toPixels(op.y) + text.face->baseline);
                if (text.scale != 1) {
                    painter.save();
                    painter.translate(origin);
                    painter.scale(text.scale, 1);
                }
                const QPointF at = text.scale == 1 ? origin : QPointF(0, 0);
                if (text.set.unset.isEmpty()) {
                    painter.drawGlyphRun(at, text.set.run);
                } else {
                    painter.setFont(text.face->font);
                    painter.drawText(at, text.set.unset);
                }
                if (text.scale != 1)
                    painter.restore();
                break;
            }
            case DrawOp::Kind::Line: {
                QPen pen(toColor(op.colour));
                pen.setStyle(op.style == LineStyle::Dash ? Qt::DashLine : Qt::SolidLine);
                painter.setPen(pen);
                penSet = false;
                painter.drawLine(toPixels(op.x), toPixels(op.y), toPixels(op.x2), toPixels(op.y2));
                break;
            }
        }
    }
}
