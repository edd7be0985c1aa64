// SPDX-License-Identifier: MIT
#pragma once

#include "domain/roster/roster.h"

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A roster as schools hand it over in a CSV file: Shift_JIS or UTF-8 (with
// or without a byte-order mark), fields between commas or tabs, quoted as
// RFC 4180 quotes them (the parsing is libcsv's); the first row names the
// columns.

// What a column of the file holds.
enum class RosterField { Grade, Class, Number, Name, Kana, Id, Ignored };

// The file read as text, before its columns are decided.
struct RosterTable {
    QStringList headers;        // the first row
    QVector<QStringList> rows;  // the rows after it, blank ones left out
    QVector<int> rowNumbers;    // each row's line in the file, from 1
    QString encoding;           // "UTF-8" or "Shift_JIS"
    QChar delimiter;            // ',' or '\t'
};

struct RosterReadResult {
    std::optional<RosterTable> table;
    QString refusal;  // why the file was not read, for the operator
};

// A roster larger than this is no school's: refused unread.
inline constexpr qint64 kMaxRosterFileBytes = 8 * 1024 * 1024;

RosterReadResult readRosterCsv(const QByteArray& bytes);

// The columns guessed from their headers: 学年, 組/クラス, 番号/出席番号,
// 氏名/名前, ふりがな/フリガナ/よみ, ID/生徒番号; anything else Ignored. Each
// field is given to the first column that names it.
QVector<RosterField> guessRosterColumns(const QStringList& headers);

// A row the roster could not take as it was: the file's line and why.
struct RosterProblem {
    int row = 0;
    QString text;
    bool leftOut = false;  // the row is not in the roster

    friend bool operator==(const RosterProblem&, const RosterProblem&) = default;
};

struct RosterImport {
    Roster roster;
    QVector<RosterProblem> problems;  // in the file's order
};

// The pupils of the table, its columns as given. A row without a name, or
// without a class and number and without an ID, is left out; so is the
// second row of a grade, class and number, or of an ID, already taken.
// A row with more or fewer cells than the headers is taken as far as it
// goes, and told.
RosterImport importRoster(const RosterTable& table, const QVector<RosterField>& columns);

namespace RosterCsvTexts {
extern const QString kTooLarge;   // %1: the file's size in MB
extern const QString kNotText;    // a file that is no CSV text (a zip, a picture)
extern const QString kBadQuotes;  // %1: the line
extern const QString kEmpty;
extern const QString kMissingColumns;  // %1: the columns
extern const QString kCellCount;       // %1: cells, %2: headers
extern const QString kNoName;
extern const QString kNoPupilKey;
extern const QString kBadNumber;  // %1: the text
extern const QString kTwice;      // %1: the pupil, %2: the line taken
extern const QString kIdTwice;    // %1: the ID, %2: the line taken
}  // namespace RosterCsvTexts
