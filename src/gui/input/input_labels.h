// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QLabel>
#include <QList>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

// The input screen's labels painted fast: the typed number from images of
// its glyphs, and the labels that change at every print.

// The glyphs of one face and colour as images, each drawn once.
struct GlyphImages {
    QFont font;
    QColor colour;
    qreal pixelRatio = 1;
    struct Glyph {
        QPixmap image;
        qreal advance = 0;
    };
    QHash<QChar, Glyph> glyphs;
    static constexpr int kOverhang = 8;  // room for ink beyond a glyph's advance

    const Glyph& of(QChar c) {
        auto found = glyphs.find(c);
        if (found != glyphs.end())
            return *found;
        const QFontMetricsF metrics(font);
        Glyph glyph;
        glyph.advance = metrics.horizontalAdvance(c);
        const QSizeF size(glyph.advance + 2 * kOverhang, metrics.height());
        glyph.image = QPixmap((size * pixelRatio).toSize());
        glyph.image.setDevicePixelRatio(pixelRatio);
        glyph.image.fill(Qt::transparent);
        QPainter painter(&glyph.image);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QPointF(kOverhang, metrics.ascent()), QString(c));
        return *glyphs.insert(c, glyph);
    }
};

// The labels that change at every print: the count of the pupil's prints,
// the counts by size and the amount. Each paints all of its area, the
// window's colour under its own background and border, so that the window
// behind it is not painted again at each change. The pupil's count comes
// back at every pupil: its label is copied from an image of its own
// painting, made when the text is first shown, while its look stays the
// same.
struct ChangingLabels {
    QList<const QObject*> labels;
    QLabel* count = nullptr;
    // What the count's painting depends on besides its text.
    struct Look {
        QSize size;
        qreal ratio = 0;
        qint64 palette = 0;
        QFont font;
        bool enabled = false;
        bool active = false;
        bool operator==(const Look&) const = default;
    };
    Look look;  // of the images
    QHash<QString, QPixmap> images;
    bool making = false;
    static constexpr qsizetype kImagesKept = 256;

    // The images of the count's texts for its look now; none at a scale
    // that is no whole number, where a copy would not give the same pixels.
    QHash<QString, QPixmap>* countImages() {
        const Look now{count->size(), count->devicePixelRatioF(), count->palette().cacheKey(),
                       count->font(), count->isEnabled(),         count->isActiveWindow()};
        if (now.ratio != std::floor(now.ratio))
            return nullptr;
        if (!(look == now) || images.size() >= kImagesKept) {
            look = now;
            images.clear();
        }
        return &images;
    }

    // After the count shows a new text: its image.
    void countShown() {
        QHash<QString, QPixmap>* kept = countImages();
        if (!kept || kept->contains(count->text()))
            return;
        making = true;
        kept->insert(count->text(), count->grab());
        making = false;
    }

    // Paints the label from the image of its text, or else its background
    // and returns false: the label then draws its text and border.
    bool paint(QLabel* label) {
        QPainter painter(label);
        if (label == count && !making) {
            if (const QHash<QString, QPixmap>* kept = countImages()) {
                const auto image = kept->constFind(label->text());
                if (image != kept->constEnd()) {
                    painter.drawPixmap(0, 0, *image);
                    return true;
                }
            }
        }
        // A pixel beyond the label on every side: all of its area covered at
        // any scale.
        const QWidget* window = label->parentWidget();
        painter.fillRect(label->rect().adjusted(-1, -1, 1, 1),
                         window->palette().brush(window->backgroundRole()));
        if (label->testAttribute(Qt::WA_StyledBackground)) {
            QStyleOption option;
            option.initFrom(label);
            label->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, label);
        }
        return false;
    }
};
