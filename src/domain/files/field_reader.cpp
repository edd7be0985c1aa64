// SPDX-License-Identifier: MIT
#include "domain/files/field_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QIODevice>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isSeparator(QChar c) {
    return c == u',' || c == u'\r' || c == u'\n';
}

template <typename Int>
FieldValue<Int> toInteger(const JobFileField& field, std::optional<Int> (*round)(Number)) {
    const FieldValue<Number> number = fieldToNumber(field);
    if (!number.ok())
        return {Int(0), number.problem};
    const std::optional<Int> value = round(number.value);
    if (!value)
        return {Int(0), FieldProblem::OutOfRange};
    return {*value, FieldProblem::None};
}

}  // namespace

JobFileFieldReader::JobFileFieldReader(QString text) : text_(std::move(text)) {}

void JobFileFieldReader::rewind() {
    pos_ = 0;
    fieldsRead_ = 0;
    stuck_ = FieldProblem::None;
}

FieldProblem JobFileFieldReader::next(JobFileField* field) {
    if (stuck_ != FieldProblem::None)
        return stuck_;

    const qsizetype n = text_.size();
    const QChar* data = text_.constData();
    qsizetype i = pos_;
    while (i < n && isBlank(data[i]))
        ++i;
    if (i >= n) {
        pos_ = n;
        stuck_ = FieldProblem::EndOfFile;
        return stuck_;
    }

    qsizetype end = 0;  // where the separator (or the end of the file) is
    if (data[i] == u'"') {
        const qsizetype open = i + 1;
        // Qt's search, which looks at many characters at a time: a record
        // is hundreds of them.
        qsizetype close = QStringView(text_).indexOf(u'"', open);
        if (close < 0) {
            pos_ = n;
            stuck_ = FieldProblem::UnterminatedQuote;
            return stuck_;
        }
        *field = {QStringView(data + open, close - open), true};
        end = close + 1;
        while (end < n && !isSeparator(data[end]))
            ++end;
    } else {
        end = i;
        while (end < n && !isSeparator(data[end]))
            ++end;
        *field = {QStringView(data + i, end - i), false};
    }

    // Step over the separator: a comma, CR LF, LF or CR.
    if (end < n) {
        if (data[end] == u'\r' && end + 1 < n && data[end + 1] == u'\n')
            end += 2;
        else
            end += 1;
    }
    pos_ = end;
    ++fieldsRead_;
    return FieldProblem::None;
}

BoundedRead readBounded(QIODevice* device, qint64 maxBytes) {
    BoundedRead result;
    if (!device->isSequential()) {
        result.size = device->size() - device->pos();
        if (result.size > maxBytes) {
            result.status = BoundedRead::Status::TooLarge;
            return result;
        }
        // Room for one byte more, read to find the end.
        result.bytes.reserve(qsizetype(std::max<qint64>(result.size, 0) + 1));
    }
    // Read in pieces up to one byte past the bound, so that a device that
    // reports no size (a pipe, a special file) is refused all the same; a
    // file of a known size in one piece, and one byte to find its end. The
    // pieces are read straight into the array.
    constexpr qint64 kPiece = 256 * 1024;
    qsizetype held = 0;
    for (;;) {
        const qint64 room = maxBytes + 1 - held;
        if (room <= 0) {
            result.status = BoundedRead::Status::TooLarge;
            result.bytes.clear();
            return result;
        }
        const qint64 piece =
            result.size >= held ? result.size - held + 1 : kPiece;  // grown meanwhile: pieces
        result.bytes.resize(held + qsizetype(std::min(piece, room)));
        const qint64 got = device->read(result.bytes.data() + held, result.bytes.size() - held);
        if (got < 0) {
            result.status = BoundedRead::Status::ReadError;
            result.bytes.clear();
            return result;
        }
        held += qsizetype(got);
        result.bytes.resize(held);
        if (got == 0)
            break;
    }
    return result;
}

std::optional<Number> wholeNumber(QStringView text) {
    qsizetype i = 0;
    qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    while (n > i && isBlank(text[n - 1]))
        --n;
    const QStringView number = text.mid(i, n - i);
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    return readNumber(number);
}

FieldValue<Number> fieldToNumber(const JobFileField& field) {
    if (field.text.trimmed().isEmpty())
        return {0, FieldProblem::None};
    const std::optional<Number> number = wholeNumber(field.text);
    if (!number)
        return {0, FieldProblem::NotANumber};
    return {*number, FieldProblem::None};
}

FieldValue<std::int16_t> fieldToInt16(const JobFileField& field) {
    return toInteger<std::int16_t>(field, &roundToInt16);
}

FieldValue<std::int32_t> fieldToInt32(const JobFileField& field) {
    return toInteger<std::int32_t>(field, &roundToInt32);
}

NumberOrText fieldToNumberOrText(const JobFileField& field) {
    if (!field.quoted) {
        if (const std::optional<Number> number = wholeNumber(field.text))
            return *number;
    }
    return field.text.toString();
}

FieldValue<std::int16_t> countFieldToInt16(const JobFileField& field) {
    // Counts as the writer writes them, a few digits, read straight away;
    // anything else by the general reading.
    const QStringView text = field.text;
    if (!text.isEmpty() && text.size() <= 5) {
        int value = 0;
        bool digits = true;
        for (const QChar c : text) {
            digits = digits && c >= u'0' && c <= u'9';
            value = value * 10 + (c.unicode() - u'0');
        }
        if (digits && value <= std::numeric_limits<std::int16_t>::max())
            return {std::int16_t(value), FieldProblem::None};
    }
    const std::optional<std::int16_t> value = roundToInt16(readNumber(field.text));
    if (!value)
        return {0, FieldProblem::OutOfRange};
    return {*value, FieldProblem::None};
}
