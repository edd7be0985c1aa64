// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/numbers.h"

#include <type_traits>

#include <QString>
#include <QStringView>
#include <QVector>

// The one reading of a pupil record («(3) 12 12 45 \.1500 ») and of an
// open entry («12 12 45 »): a sequence of items, each ended by one blank.
// The pupil label is the item that holds ")", the amount the item that
// holds "\"; every other item is a photo number.
class RecordItem {
public:
    enum class Kind { Label, PhotoNumber, Amount };

    RecordItem(QStringView withBlank, qsizetype end) : withBlank_(withBlank), end_(end) {}

    // The item with its closing blank, as the history draws it.
    QStringView withBlank() const { return withBlank_; }
    // The item without its closing blank.
    QStringView text() const { return withBlank_.chopped(1); }
    // Where the item ends in the text walked: just past its closing blank.
    qsizetype end() const { return end_; }

    Kind kind() const {
        if (withBlank_.contains(u'\\'))
            return Kind::Amount;
        if (withBlank_.contains(u')'))
            return Kind::Label;
        return Kind::PhotoNumber;
    }

    // Whether the blank ending the item follows ")": the pupil label's
    // blank, which a history row does not count.
    bool endsWithLabelBracket() const {
        return withBlank_.size() >= 2 && withBlank_[withBlank_.size() - 2] == u')';
    }

    // The numeric reading of the item (the label and the amount read 0).
    Number value() const { return readNumber(withBlank_); }

private:
    QStringView withBlank_;
    qsizetype end_;
};

// Calls visit(const RecordItem&) for each blank-ended item of text, in
// order. visit may return false to stop the walk. Returns what follows the
// last blank: an item not yet ended (empty when the walk was stopped).
template <class Visit>
QStringView forEachRecordItem(QStringView text, Visit&& visit) {
    const QChar* data = text.data();
    qsizetype start = 0;
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        if (data[i] != u' ')
            continue;
        const RecordItem item(text.mid(start, i + 1 - start), i + 1);
        start = i + 1;
        if constexpr (std::is_same_v<std::invoke_result_t<Visit&, const RecordItem&>, bool>) {
            if (!visit(item))
                return {};
        } else {
            visit(item);
        }
    }
    return text.mid(start);
}

// The values of the items of an open entry, at most `room` of them; an item
// beyond that sets *overflow.
QVector<Number> parseEntryTokens(QStringView entry, int room, bool* overflow = nullptr);
