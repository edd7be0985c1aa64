// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/file_replacement.h"
#include "domain/job/job_state.h"
#include "domain/roster/job_companion.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class Platform;

// The counts of a job as CSV files that a print lab's ordering system maps
// column by column, in place of typing the order-count report in by hand.

enum class LabExportKind {
    ByPhoto,  // 写真番号別: one row per photo number ordered at least once
    ByPupil,  // 個人別: one row per registered pupil and photo number
};

enum class LabExportEncoding {
    ShiftJis,  // CP932, what Excel on a Japanese PC opens directly
    Utf8,      // UTF-8 with a byte-order mark
};

// The rows of an export, as texts, before any encoding.
struct LabExportTable {
    QStringList columns;
    QVector<QStringList> rows;
    Number pendingPrints = 0;  // prints of the open entry, left out like the reports do
};

// The rows of the registered pupils only (the open entry is left out).
// ByPhoto: photo number, size (大/中/小, empty for a number in no range),
// prints, customer, event, shooting date; ascending photo numbers.
// ByPupil: pupil number, photo number, size, prints of that number for that
// pupil, the pupil's amount (the same on each of the pupil's rows), customer,
// event, shooting date; pupils in order, each one's numbers ascending. The
// amount is the one the per-pupil report prints. With a roster, ByPupil
// ends with the pupil's grade, class, number and name (empty for a pupil
// tied to none), after every column it has without one, so that what reads
// those columns reads them still. The texts of the customer, event, date
// and roster columns pass through spreadsheetText.
LabExportTable labExportTable(const JobState& job, LabExportKind kind,
                              const JobCompanion& companion = JobCompanion{});

// A text of the export as a spreadsheet must take it: with a leading "'"
// when it begins with a character that Excel or LibreOffice reads as the
// start of a formula ("=", "+", "-", "@", a tab, a carriage return) or that
// Japanese Excel takes as one of those (the full-width "＝", "＋", "－",
// "＠"; the minus sign "−", which Shift_JIS writes as "－"). Otherwise as it
// is. The numbers of the export never pass through it: a negative amount
// stays a number.
QString spreadsheetText(const QString& text);

// A field as CSV holds it: quoted, with its double quotes doubled, when it
// holds a comma, a double quote, CR or LF; as it is otherwise.
QString csvField(const QString& text);

// The columns line, then every row, each line ended by CR LF.
QString csvText(const LabExportTable& table);

// A text of the export that Shift_JIS could not hold as it was.
struct LabExportSubstitution {
    QString column;
    QString original;
    QString written;
};

// The bytes of an export and what had to be changed to write them.
struct LabExportBytes {
    bool ok = false;  // false when the encoder failed
    QByteArray bytes;
    QList<LabExportSubstitution> substitutions;  // each text once, in the order met
};

// The table as the bytes of a file. Shift_JIS: characters CP932 lacks are
// replaced as the job file does it (a full-width look-alike, or "〓"), the
// double quote kept, since CSV quoting holds it. UTF-8: a byte-order mark,
// then the text unchanged.
LabExportBytes labExportBytes(const LabExportTable& table, LabExportEncoding encoding);

// What became of an export.
struct LabExportResult {
    bool written = false;
    int rows = 0;  // rows written, the columns line not counted
    QList<LabExportSubstitution> substitutions;
    Number pendingPrints = 0;
    FileFault fault = FileFault::None;
    int systemError = 0;
    // For the operator: what was written and the remarks on it, or why
    // nothing was.
    QString message;
};

// Writes the export at path through replaceFile: nothing half-written is
// ever left under that name, and a file already there stays whole unless
// the new one is complete on the disk. No backup is kept.
LabExportResult writeLabExport(const QString& path, const JobState& job, LabExportKind kind,
                               LabExportEncoding encoding,
                               const JobCompanion& companion = JobCompanion{});

// A file name to offer: customer and event as the save names the job file,
// the kind of export, ".csv"; within maxNameBytes bytes.
QString defaultLabExportFileName(const JobState& job, LabExportKind kind, int maxNameBytes = 255);

// defaultLabExportFileName in folder, within the longest name its file
// system holds (the name alone when folder is empty).
QString suggestedLabExportPath(const JobState& job, LabExportKind kind, const QString& folder);

// What came of the export command.
struct LabExportCommandOutcome {
    bool cancelled = true;  // the operator cancelled the dialog: nothing was written
    QString path;
    LabExportResult result;
};

// The export command: asks for a file (suggesting suggestedPath), writes
// the export there and tells the operator how it went.
LabExportCommandOutcome labExportCommand(const JobState& job, Platform& platform,
                                         LabExportKind kind, LabExportEncoding encoding,
                                         const QString& suggestedPath,
                                         const JobCompanion& companion = JobCompanion{});

namespace LabExportTexts {
extern const QString kCaption;  // the file dialog's
extern const QString kFilter;
extern const QString kByPhotoName;  // in file names and messages
extern const QString kByPupilName;
extern const QString kColumnPhotoNumber;
extern const QString kColumnSize;
extern const QString kColumnPrints;
extern const QString kColumnPupil;
extern const QString kColumnPupilAmount;
extern const QString kColumnCustomer;
extern const QString kColumnEvent;
extern const QString kColumnDate;
extern const QString kColumnGrade;  // the roster's
extern const QString kColumnClass;
extern const QString kColumnNumber;
extern const QString kColumnName;
extern const QString kWritten;         // %1: kind, %2: path, %3: rows
extern const QString kEncodeFailed;    // %1: path
extern const QString kSubstituted;     // %1: the list of changed texts
extern const QString kPendingLeftOut;  // %1: prints of the open entry
}  // namespace LabExportTexts
