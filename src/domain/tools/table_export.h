// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/system_files.h"
#include "domain/tools/lab_export.h"

#include <variant>

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class Platform;

// A table of the job (the class lists: 組別集計, 未注文者, 入金一覧) written
// as a file the studio opens in Excel: a workbook (.xlsx, written by
// libxlsxwriter) or a CSV file as the lab export writes it.

// One cell: a text, or a whole number written as a number (amounts, counts).
// A workbook holds a number as a double: exact up to 2^53.
using ExportCell = std::variant<QString, qint64>;

struct ExportTable {
    QString title;  // names the workbook's sheet (see workbookSheetName)
    QStringList columns;
    // A cell for each column: cells missing at a row's end are empty, and
    // cells past the last column are not written.
    QVector<QVector<ExportCell>> rows;
    // Columns left empty, to be ticked by hand (入金): whatever a row holds
    // there is not written. The workbook draws their cells with borders.
    QVector<int> tickColumns;
};

enum class TableFileFormat { Xlsx, Csv };

// The format a path asks for by its extension: .xlsx (in any case) is a
// workbook, anything else CSV.
TableFileFormat tableFileFormat(const QString& path);

// The title as a sheet's name that Excel accepts: each of []:*?/\ as its
// full-width look-alike, control characters as spaces, no "'" at either
// end, at most 31 characters (a character outside the BMP is not cut in
// two); "表" when nothing is left.
QString workbookSheetName(const QString& title);

// What became of writing a table.
struct TableExportResult {
    bool written = false;
    int rows = 0;                                // rows written, the heading row not counted
    QList<LabExportSubstitution> substitutions;  // CSV in Shift_JIS only
    FileFault fault = FileFault::None;
    int systemError = 0;
    // For the operator: what was written and the remarks on it, or why
    // nothing was.
    QString message;
};

// Writes the table at path through replaceFile: nothing half-written is
// ever left under that name, a file already there stays whole unless the
// new one is complete on the disk, and no backup is kept.
//
// Xlsx: one sheet named by workbookSheetName(title); texts as texts (a text
// beginning with "=" stays that text, nothing added, and one holding what
// Excel reads as a character's code, "_x0041_", stays those characters),
// numbers as numbers; the heading row bold, bordered, frozen and repeated on
// every printed page; every cell of the table bordered; columns as wide as
// their widest text (a full-width character counts two); A4 portrait, one
// page wide.
// libxlsxwriter writes only to a file name: the workbook is made in a
// temporary file in path's folder (kSaveTemporaryPrefix and six letters,
// held locked), read back and removed whatever happens.
//
// Csv: the same columns and rows, numbers as plain numbers, texts through
// spreadsheetText and csvField, as bytes as labExportBytes makes them in
// the encoding given.
TableExportResult writeTable(const QString& path, const ExportTable& table, TableFileFormat format,
                             LabExportEncoding encoding = LabExportEncoding::ShiftJis);

// What came of the export command.
struct TableExportCommandOutcome {
    bool cancelled = true;  // the operator cancelled the dialog: nothing was written
    QString path;
    TableExportResult result;
};

// The command: asks for a file (suggesting suggestedPath; the filter of its
// extension's format offered first), writes the table in the format of the
// chosen file's extension and tells the operator how it went.
TableExportCommandOutcome tableExportCommand(
    Platform& platform, const ExportTable& table, const QString& suggestedPath,
    LabExportEncoding encoding = LabExportEncoding::ShiftJis);

namespace TableExportTexts {
extern const QString kCaption;  // the file dialog's; %1: the title
extern const QString kXlsxFilter;
extern const QString kCsvFilter;
extern const QString kUntitledSheet;  // a sheet whose title leaves no name
extern const QString kWritten;        // %1: the title, %2: path, %3: rows
extern const QString kEncodeFailed;   // %1: path
extern const QString kSubstituted;    // %1: the list of changed texts
// Why libxlsxwriter could not make the workbook.
extern const QString kWorkbookFailed;  // the step
extern const QString kNoMemory;
extern const QString kWorkTemporaryFailed;
extern const QString kZipFailed;
extern const QString kCellTooLong;
extern const QString kSheetTooLarge;
extern const QString kWorkbookError;  // %1: libxlsxwriter's number
}  // namespace TableExportTexts
