// SPDX-License-Identifier: MIT
#pragma once

#include "domain/roster/roster_csv.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A roster as schools keep it in Excel: an .xlsx workbook (Office Open XML,
// a zip of XML parts; the zip is libzip's, the XML QXmlStreamReader's). A
// sheet is read into the same table of text cells as a CSV file, so that its
// columns are guessed and its rows imported as a CSV file's are:
// - each cell as the sheet holds it: shared and inline text (the runs of
//   rich text joined, the readings Japanese Excel keeps beside a text left
//   out), numbers in their shortest form (12, not 12.0), TRUE and FALSE;
// - a cell's place by its reference ("C5"), the cells skipped in between
//   empty; a merged range's value in each of its cells, as Excel shows it;
// - the rows numbered as Excel numbers them, so that a problem's line is the
//   row the operator sees; each row as wide as the headers (cells left empty
//   at a row's end are not its own).
// The zip is never trusted: what a part says it unpacks to is checked before
// it is unpacked, and the unpacking stops at that size and at a total for
// the whole workbook, whatever the part holds.

// The sheets of a workbook, by name, in its order; or why it cannot be read.
struct RosterSheets {
    QStringList names;
    QString refusal;
};

// Whether a file is to be read as a workbook: its content is a zip or an OLE
// compound file (an old .xls, or a workbook protected by a password), or its
// name says it is one (a name that lies is then refused with its reason).
bool isRosterWorkbook(const QString& fileName, const QByteArray& file);

RosterSheets rosterXlsxSheets(const QByteArray& file);
// The sheet of that index in the workbook's order (the first, by default),
// or of that name.
RosterReadResult readRosterXlsx(const QByteArray& file, int sheet = 0);
RosterReadResult readRosterXlsx(const QByteArray& file, const QString& sheetName);

// Everything a workbook's parts may unpack to, together.
inline constexpr qint64 kMaxWorkbookUnpackedBytes = 64 * 1024 * 1024;
// A sheet wider than this, or with more cells, is no roster.
inline constexpr int kMaxRosterColumns = 256;
inline constexpr qint64 kMaxRosterCells = 2'000'000;

// A file too large is refused with RosterCsvTexts::kTooLarge, as a CSV file.
namespace RosterXlsxTexts {
extern const QString kNotWorkbook;  // a name that says .xlsx, another content
extern const QString kOldExcel;     // an .xls
extern const QString kProtected;    // a password
extern const QString kDamaged;
extern const QString kUnpackedTooLarge;  // %1: the limit in MB
extern const QString kNoSheets;
extern const QString kNoSheet;       // %1: the sheet's name or number
extern const QString kEmptySheet;    // %1: the sheet's name
extern const QString kTooWide;       // %1: the sheet, %2: the column, %3: the limit
extern const QString kTooManyCells;  // %1: the sheet
}  // namespace RosterXlsxTexts
