// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <variant>

#include <QString>
#include <QStringView>

// The program's general numeric kind: whole numbers stay exact (up to 2^53,
// far beyond any count or amount a job reaches) and fractions are kept, since
// the setup screen may store a price such as 10.5.
using Number = double;

// The numeric reading of a text: blanks are skipped anywhere, an optional
// sign is followed by decimal digits with an optional fraction, and reading
// stops at the first other character. A text without a number reads 0.
// «12abc» reads 12, « - 2 3» reads -23, «2-3» reads 2, «--23» reads 0.
Number readNumber(QStringView text);

// The text of a box that is read as a number, with the full-width forms a
// Japanese input method gives for the characters of a number made
// half-width: the digits ０-９, the signs ＋ and － (and the minus sign −),
// the point ．and the ideographic blank. Everything else stays as it is: a
// long-vowel mark ー or a dash is a letter or punctuation, not a minus, and
// keeps its text's value as before. «１２００» becomes «1200».
QString halfWidthNumberText(QStringView text);

// How a box that takes a whole number may write it.
enum class WholeNumberForm {
    Plain,  // digits, grouped by commas or not
    Yen,    // a price: also a yen sign before it ("¥", "￥", or the backslash
            // that a Japanese keyboard and font show as one) or "円" after it
};

// The whole number an operator plainly means by the text of a box: the
// full-width forms of halfWidthNumberText and the full-width comma are read
// as half-width, blanks may stand around the number (not inside its
// digits), a sign may lead, and commas may group the digits by three
// ("1,200", "１，２００", "12,000"). An empty (or blank) text reads 0.
// Anything else is nullopt, never a prefix of the text: letters, a point
// ("1.200" is not twelve hundred, "12.5" no whole number), a comma that does
// not group three digits, text after the number.
std::optional<Number> readWholeNumber(QStringView text,
                                      WholeNumberForm form = WholeNumberForm::Plain);

// Storing a number into a 16- or 32-bit field: rounded with halves to the
// even neighbour (2.5 -> 2, 3.5 -> 4); nullopt when the result does not fit.
std::optional<std::int16_t> roundToInt16(Number value);
std::optional<std::int32_t> roundToInt32(Number value);

// The signed display form: one leading blank for zero and positive numbers,
// "-" for negative ones, no digit grouping (5 -> « 5», -5 -> «-5»).
QString signedDisplay(Number value);

// The plain decimal form: the decimal digits alone (5 -> «5»).
QString plainDecimal(Number value);

// A field that holds whichever kind the job file or the setup screen
// delivered. It remembers which, and in arithmetic and comparisons it acts
// as its numeric value.
class NumberOrText {
public:
    NumberOrText() = default;
    NumberOrText(Number number) : value_(number) {}       // NOLINT: implicit on purpose
    NumberOrText(int number) : value_(Number(number)) {}  // NOLINT
    NumberOrText(const QString& text) : value_(text), textValue_(readNumber(text)) {}  // NOLINT
    NumberOrText(const char16_t* text) : NumberOrText(QString::fromUtf16(text)) {}     // NOLINT

    bool isText() const { return std::holds_alternative<QString>(value_); }
    bool isNumber() const { return !isText(); }

    // The numeric value: the number itself, or the numeric reading of the text.
    Number value() const;

    // The text as it is held; a number in plain decimal (with "-" when negative).
    QString toText() const;

    friend bool operator==(const NumberOrText& a, const NumberOrText& b) {
        return a.value_ == b.value_;
    }

private:
    std::variant<Number, QString> value_{QString()};  // unset: an empty text, reading 0
    Number textValue_ = 0;  // the numeric reading of a held text, read once
};
