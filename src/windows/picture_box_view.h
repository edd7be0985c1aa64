#pragma once

#include "domain/history.h"

#include <QWidget>

// Shows a picture box's drawing operations: points, texts at their top-left
// corner and lines, all in twips (15 to a pixel), over a plain background.
// The operations are kept, so the picture survives being covered, resized
// and uncovered.
class PictureBoxView : public QWidget {
    Q_OBJECT

public:
    explicit PictureBoxView(QWidget* parent = nullptr);

    void setBackground(Rgb colour);
    // Shows the box; repaints only when its drawing changed since last time.
    void showPicture(const PictureBox& box);
    const PictureBox& picture() const { return box_; }

    static constexpr int kTwipsPerPixel = 15;

    // A backslash is drawn as the yen sign, as Japanese fonts draw it.
    static QString displayText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureBox box_;
    bool shownOnce_ = false;
    Rgb background_;
};
