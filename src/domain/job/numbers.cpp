// SPDX-License-Identifier: MIT
#include "domain/job/numbers.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

Number readNumber(QStringView text) {
    const auto isBlank = [](QChar c) { return c == u' '; };
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };

    skipBlanks();
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }

    // Collect the digits, then convert once, so that a long run of digits
    // reads as the nearest double rather than accumulating rounding errors.
    std::string digits;
    bool inFraction = false;
    for (skipBlanks(); i < n; skipBlanks()) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digits.push_back(char(c.unicode()));
        } else if (c == u'.' && !inFraction) {
            inFraction = true;
            digits.push_back('.');
        } else {
            break;
        }
        ++i;
    }
    if (digits.empty() || digits == ".")
        return 0;
    if (digits.front() == '.')
        digits.insert(digits.begin(), '0');
    double value = 0;
    const std::errc error = std::from_chars(digits.data(), digits.data() + digits.size(), value).ec;
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    else if (error != std::errc())
        return 0;
    return negative ? -value : value;
}

QString halfWidthNumberText(QStringView text) {
    QString result = text.toString();
    for (QChar& c : result) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u'0' + (u - u'０'));
        else if (u == u'＋')
            c = u'+';
        else if (u == u'－' || u == u'\u2212')  // the minus sign
            c = u'-';
        else if (u == u'．')
            c = u'.';
        else if (u == u'\u3000')  // the ideographic blank
            c = u' ';
    }
    return result;
}

std::optional<Number> readWholeNumber(QStringView typed, WholeNumberForm form) {
    const QString text = halfWidthNumberText(typed).replace(u'，', u',');
    const bool yen = form == WholeNumberForm::Yen;
    const auto isYenSign = [](QChar c) { return c == u'¥' || c == u'￥' || c == u'\\'; };
    qsizetype i = 0;
    qsizetype n = text.size();
    const auto skipBlanks = [&] {
        while (i < n && text[i] == u' ')
            ++i;
    };
    while (n > 0 && text[n - 1] == u' ')
        --n;
    skipBlanks();
    if (i == n)
        return 0;
    if (yen && text[n - 1] == u'円') {
        --n;
        while (n > i && text[n - 1] == u' ')
            --n;
    }

    // A sign and a yen sign, in either order, each once.
    bool negative = false;
    bool signSeen = false;
    bool yenSeen = false;
    for (;;) {
        if (i < n && !signSeen && (text[i] == u'-' || text[i] == u'+')) {
            negative = text[i] == u'-';
            signSeen = true;
        } else if (i < n && yen && !yenSeen && isYenSign(text[i])) {
            yenSeen = true;
        } else {
            break;
        }
        ++i;
        skipBlanks();
    }

    // Digits, every comma followed by exactly three of them, and at most
    // three before the first comma.
    std::string digits;
    qsizetype sinceComma = 0;
    bool grouped = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digits.push_back(char(c.unicode()));
            ++sinceComma;
        } else if (c == u',' && sinceComma > 0 && (grouped ? sinceComma == 3 : sinceComma <= 3)) {
            grouped = true;
            sinceComma = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits.empty() || (grouped && sinceComma != 3))
        return std::nullopt;
    double value = 0;
    const std::errc error = std::from_chars(digits.data(), digits.data() + digits.size(), value).ec;
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    else if (error != std::errc())
        return std::nullopt;
    return negative ? -value : value;
}

namespace {

template <typename Int>
std::optional<Int> roundTo(Number value) {
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint rounds in the current mode, which is round-to-nearest-even
    // unless someone changed it; be explicit about it all the same.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    if (rounded < double(std::numeric_limits<Int>::min()) ||
        rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return Int(rounded);
}

}  // namespace

std::optional<std::int16_t> roundToInt16(Number value) {
    return roundTo<std::int16_t>(value);
}

std::optional<std::int32_t> roundToInt32(Number value) {
    return roundTo<std::int32_t>(value);
}

QString plainDecimal(Number value) {
    // Whole numbers (every count, price and amount in practice) print with
    // all their digits; fractions with up to 15 significant digits and no
    // trailing zeros, never in exponent form.
    if (value == 0)
        return QStringLiteral("0");
    if (std::trunc(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<long long>(value));
    QString text = QString::number(value, 'g', 15);
    if (text.contains(u'e')) {
        text = QString::number(value, 'f', 15);
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

QString signedDisplay(Number value) {
    if (value < 0)
        return QStringLiteral("-") + plainDecimal(-value);
    return QStringLiteral(" ") + plainDecimal(value);
}

Number NumberOrText::value() const {
    if (const auto* number = std::get_if<Number>(&value_))
        return *number;
    return textValue_;
}

QString NumberOrText::toText() const {
    if (const auto* number = std::get_if<Number>(&value_))
        return *number < 0 ? QStringLiteral("-") + plainDecimal(-*number) : plainDecimal(*number);
    return std::get<QString>(value_);
}
