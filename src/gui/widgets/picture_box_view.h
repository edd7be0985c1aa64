// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/history.h"

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QMap>
#include <QRawFont>
#include <QVector>
#include <QWidget>

// Shows a picture box's drawing operations: points, texts at their top-left
// corner and lines, all in twips (15 to a pixel), over a plain background.
// The operations are kept, so the picture survives being covered, resized
// and uncovered.
//
// A text row is 250 twips from its top to the rule under it. Whatever face
// the system gives, the text is set so that its glyphs sit inside that
// height: the baseline goes no lower than leaves the face's lowest glyph
// clear above the rule, and a face too tall for the row is set smaller. A
// text that would run into the next text of its row is set narrower.
class PictureBoxView : public QWidget {
    Q_OBJECT

public:
    explicit PictureBoxView(QWidget* parent = nullptr);

    void setBackground(Rgb colour);
    // Shows the box; repaints only when its drawing changed since last time.
    void showPicture(const PictureBox& box);
    const PictureBox& picture() const { return box_; }

    static constexpr int kTwipsPerPixel = 15;
    // From a text's top to the rule drawn under its row.
    static constexpr int kRowHeightTwips = 250;

    // A backslash is drawn as the yen sign, as Japanese fonts draw it.
    static QString displayText(const QString& text);

    // The texts of a picture as a screen reader reads them: a line for each
    // row, top to bottom, its texts left to right as they are shown.
    static QString textRows(const PictureBox& box);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // How a text of the given size is set: the face, and the baseline's
    // distance from the text's top, in pixels.
    struct Face {
        QFont font;
        qreal baseline = 0;
        qreal ascent = 0;
        qreal height = 0;
        // The face's glyphs of the characters drawn so far, and the texts
        // set before with their widths (the same photo numbers and amounts
        // come back picture after picture): texts are drawn as runs of these
        // glyphs, without being shaped again at every paint.
        QRawFont raw;
        struct Glyph {
            quint32 index = 0;
            qreal advance = 0;
        };
        QHash<QChar, Glyph> glyphs;
        struct Set {
            QGlyphRun run;
            QString unset;    // a text with a character the face lacks, drawn as text
            qreal width = 0;  // without trailing blanks
        };
        QHash<QString, Set> texts;
    };
    // Texts with brackets (the pupil labels) reach lower than numbers.
    Face& faceFor(int fontPoints, bool withBrackets);

    void layOut();
    Face::Set setText(Face& face, const QString& shown);

    PictureBox box_;
    bool shownOnce_ = false;
    Rgb background_;

    // Worked out once per picture and face, not at every paint.
    QMap<int, Face> faces_;
    struct TextLayout {
        Face::Set set;  // a shared copy of the face's
        const Face* face = nullptr;
        qreal scale = 1;
        QRect bounds;  // where the op draws: a paint skips ops outside its area
    };
    QVector<TextLayout> texts_;  // one per op; empty for points and lines
    bool laidOut_ = false;
};
