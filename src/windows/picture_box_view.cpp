#include "windows/picture_box_view.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

QColor toColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

int toPixels(int twips) {
    return (twips + PictureBoxView::kTwipsPerPixel / 2) / PictureBoxView::kTwipsPerPixel;
}

}  // namespace

PictureBoxView::PictureBoxView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    update();
}

QString PictureBoxView::displayText(const QString& text) {
    QString shown = text;
    shown.replace(u'\\', QChar(0x00A5));
    return shown;
}

void PictureBoxView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), toColor(background_));
    QFont font = this->font();
    for (const DrawOp& op : box_.ops) {
        switch (op.kind) {
            case DrawOp::Kind::Point:
                painter.setPen(toColor(op.colour));
                painter.drawPoint(toPixels(op.x), toPixels(op.y));
                break;
            case DrawOp::Kind::Text: {
                if (font.pointSize() != op.fontPoints) {
                    font.setPointSize(op.fontPoints);
                    painter.setFont(font);
                }
                painter.setPen(toColor(op.colour));
                const int ascent = QFontMetrics(font, this).ascent();
                painter.drawText(toPixels(op.x), toPixels(op.y) + ascent, displayText(op.text));
                break;
            }
            case DrawOp::Kind::Line: {
                QPen pen(toColor(op.colour));
                pen.setStyle(op.style == LineStyle::Dash ? Qt::DashLine : Qt::SolidLine);
                painter.setPen(pen);
                painter.drawLine(toPixels(op.x), toPixels(op.y), toPixels(op.x2), toPixels(op.y2));
                break;
            }
        }
    }
}
