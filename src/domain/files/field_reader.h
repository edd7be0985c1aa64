// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/numbers.h"

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringView>

class QIODevice;

// Why a field could not be read or converted.
enum class FieldProblem {
    None,
    EndOfFile,          // the file ends before the field
    UnterminatedQuote,  // a quoted text runs to the end of the file
    NotANumber,         // a numeric field holds something other than a number
    OutOfRange,         // a number does not fit its 16- or 32-bit field
};

// One field of a job file: its text without the quotes, and whether it was
// written in double quotes. The text points into the reader's buffer.
struct JobFileField {
    QStringView text;
    bool quoted = false;
};

// Reads a job file's text as one sequence of fields. Fields are separated by
// a comma or a line break (CR LF, a bare LF or a bare CR), blanks before a
// field are skipped, a field in double quotes may hold commas and ends at the
// closing quote (anything between it and the next separator is dropped), and
// an unquoted field runs up to the next comma or line break. A separator at
// the very end of the file is not followed by an empty field.
class JobFileFieldReader {
public:
    explicit JobFileFieldReader(QString text);

    // Reads the next field into *field. Returns FieldProblem::None, or
    // EndOfFile / UnterminatedQuote, after which every further call fails
    // the same way.
    FieldProblem next(JobFileField* field);

    // Back to the first field.
    void rewind();

    // Fields read since the start (or the last rewind).
    qsizetype fieldsRead() const { return fieldsRead_; }

private:
    QString text_;
    qsizetype pos_ = 0;
    qsizetype fieldsRead_ = 0;
    FieldProblem stuck_ = FieldProblem::None;
};

// Reading a whole file into memory, refusing one larger than maxBytes.
struct BoundedRead {
    enum class Status { Ok, TooLarge, ReadError };
    Status status = Status::Ok;
    QByteArray bytes;  // the contents when Ok
    qint64 size = -1;  // the device's size when it reports one (also when TooLarge)
};
BoundedRead readBounded(QIODevice* device, qint64 maxBytes);

// A converted field, or the reason it could not be converted.
template <typename T>
struct FieldValue {
    T value{};
    FieldProblem problem = FieldProblem::None;
    bool ok() const { return problem == FieldProblem::None; }
};

// The value of a text that is wholly a decimal number: blanks around it, an
// optional sign, digits with an optional fraction. Nothing else may follow.
std::optional<Number> wholeNumber(QStringView text);

// Conversions of a field, quoted or not, into the numeric kinds. A field that
// is empty (or blank) reads 0; one that is not wholly a number fails with
// NotANumber; the integers are rounded with halves to the even neighbour and
// fail with OutOfRange when they do not fit.
FieldValue<std::int16_t> fieldToInt16(const JobFileField& field);
FieldValue<std::int32_t> fieldToInt32(const JobFileField& field);
FieldValue<Number> fieldToNumber(const JobFileField& field);

// A field read into a value that may hold a number or a text: a number when
// the field is an unquoted number, its text otherwise. Never fails.
NumberOrText fieldToNumberOrText(const JobFileField& field);

// A print count: the number the field begins with (0 when it begins with
// none), rounded to 16 bits; fails only with OutOfRange.
FieldValue<std::int16_t> countFieldToInt16(const JobFileField& field);
