// SPDX-License-Identifier: MIT
#include "gui/input/recent_entries.h"

#include "domain/entry/order_entry.h"

#include <algorithm>
#include <optional>

#include <QPainter>
#include <QScrollBar>
#include <QStaticText>

namespace {

// Draws the recent entries in rows of one height, eleven to the list's
// height, whatever face the system gives the list: the glyphs of an item
// centred in its row (a face that draws higher than the row is set smaller),
// and an item wider than the list (a separator with a long amount) set
// narrower rather than cut.
class RecentEntriesDelegate : public QStyledItemDelegate {
public:
    explicit RecentEntriesDelegate(QListWidget* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), rowHeight());
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QStyle* style = item.widget ? item.widget->style() : list_->style();
        // The item's background and selection, its text, and its focus frame.
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, item.widget);

        Measures& measures = measuresOf(item.font);
        QRectF row = QRectF(item.rect).adjusted(kMargin, 1, -kMargin, -1);
        const qreal height =
            measures.ink.height() > row.height() ? row.height() / measures.ink.height() : 1;
        // A number without a photo: its mark small and red at the right, the
        // number in the rest of the row.
        QString text = item.text;
        const bool noPhoto = text.endsWith(OrderEntry::kNoPhotoMark);
        if (noPhoto) {
            text.chop(OrderEntry::kNoPhotoMark.size());
            row.setRight(row.right() - paintNoPhotoMark(painter, item, measures, row));
        }
        auto set = measures.texts.find(text);
        if (set == measures.texts.end()) {
            Measures::Set made;
            made.text = QStaticText(text);
            made.text.setTextFormat(Qt::PlainText);
            made.text.prepare(QTransform(), item.font);
            made.advance = QFontMetricsF(item.font).horizontalAdvance(text.trimmed());
            set = measures.texts.insert(text, made);
        }
        const qreal advance = set->advance;
        const QStaticText staticText = set->text;
        const qreal width = std::min(height, advance > row.width() ? row.width() / advance : 1);
        const bool selected = item.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        painter->setPen(
            item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(item.font);
        // The baseline, and the text's top above it, where a set text is placed.
        const QPointF origin(row.left(), row.center().y() - measures.ink.center().y() * height);
        const QPointF top(0, -measures.ascent);
        if (width == 1 && height == 1) {
            painter->drawStaticText(origin + top, staticText);
        } else {
            painter->save();
            painter->translate(origin);
            painter->scale(width, height);
            painter->drawStaticText(top, staticText);
            painter->restore();
        }
        if (item.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(item);
            focus.backgroundColor =
                item.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, item.widget);
        }
    }

private:
    static constexpr qreal kMargin = 2;

    int rowHeight() const {
        const int inside = list_->height() - 2 * list_->frameWidth();
        return std::max(1, inside / kRecentEntriesShown);
    }

    // The ink of every character an item can hold, around the baseline, and
    // the widths of the items drawn so far, for the list's face.
    struct Measures {
        QFont font;
        QRectF ink;
        qreal ascent = 0;
        struct Set {
            QStaticText text;
            qreal advance = 0;  // without trailing blanks
        };
        QHash<QString, Set> texts;
        // The mark of a number without a photo, in its smaller face: plain
        // and selected.
        int markPixels = 0;
        qreal markRatio = 1;
        QColor markColours[2];
        QPixmap marks[2];
    };
    Measures& measuresOf(const QFont& font) const {
        if (!measures_ || measures_->font != font || measures_->texts.size() > 4096) {
            measures_ = Measures();  // clang 14 will not emplace() this nested class
            measures_->font = font;
            measures_->ascent = QFontMetricsF(font).ascent();
            measures_->ink =
                QFontMetricsF(font).tightBoundingRect(QStringLiteral("0123456789-\u00A5."));
        }
        return *measures_;
    }

    // Paints the mark of a number without a photo at the right of the row,
    // from an image of it made once for the face and the row's height (a
    // second face drawn as text would cost each Enter a tenth of a
    // millisecond); returns the width it took.
    qreal paintNoPhotoMark(QPainter* painter, const QStyleOptionViewItem& item, Measures& measures,
                           const QRectF& row) const {
        const int pixels = std::max(11, int(row.height() * 0.55));
        const bool selected = item.state & QStyle::State_Selected;
        const QColor colour =
            selected ? item.palette.color(QPalette::HighlightedText) : QColor(200, 0, 0);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1;
        QPixmap& mark = measures.marks[selected];
        if (measures.markPixels != pixels || measures.markRatio != ratio ||
            measures.markColours[selected] != colour || mark.isNull()) {
            if (measures.markPixels != pixels || measures.markRatio != ratio)
                measures.marks[0] = measures.marks[1] = QPixmap();
            measures.markPixels = pixels;
            measures.markRatio = ratio;
            measures.markColours[selected] = colour;
            QFont font = item.font;
            font.setPixelSize(pixels);
            const QString text = OrderEntry::kNoPhotoMark.trimmed();
            const QFontMetricsF metrics(font);
            mark = QPixmap((metrics.size(Qt::TextSingleLine, text) * ratio).toSize());
            mark.setDevicePixelRatio(ratio);
            mark.fill(Qt::transparent);
            QPainter onMark(&mark);
            onMark.setFont(font);
            onMark.setPen(colour);
            onMark.drawText(QPointF(0, metrics.ascent()), text);
        }
        const QSizeF size = mark.deviceIndependentSize();
        painter->drawPixmap(
            QPointF(row.right() - size.width(), row.center().y() - size.height() / 2), mark);
        return size.width() + kMargin;
    }

    QListWidget* list_;
    mutable std::optional<Measures> measures_;
};

}  // namespace

QStyledItemDelegate* newRecentEntriesDelegate(QListWidget* list) {
    return new RecentEntriesDelegate(list);
}

int rowPitchOf(const QListWidget* list) {
    if (list->count() == 0 || !list->uniformItemSizes() || list->spacing() != 0 ||
        list->viewMode() != QListView::ListMode || list->flow() != QListView::TopToBottom ||
        list->verticalScrollBar()->value() != 0 || list->horizontalScrollBar()->value() != 0)
        return 0;
    const QRect first = list->visualItemRect(list->item(0));
    if (first.top() != 0 || first.height() <= 0 ||
        list->count() * first.height() > list->viewport()->height())
        return 0;
    return first.height();
}
