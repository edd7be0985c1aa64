// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

#include <QString>
#include <QtGlobal>

// The job file: 21 header fields, the print counts of photo numbers 1 to
// 10000 and the 1500 pupil records, as comma- or line-separated fields in
// CP932 text (see field_reader.h for the field syntax).
namespace JobFileFormat {

constexpr int kHeaderFields = 21;
constexpr int kCountFields = JobState::kMaxPhotoNumber;  // counts written: always all of them
constexpr int kRecordFields = JobState::kMaxPersons;
constexpr int kTextHeaderFields = 4;  // positions 1 to 4 are texts, 5 to 21 numbers

// The largest file the program writes for a full job: header texts of up to
// 256 double-byte characters, numbers of up to 24 characters, counts of up to
// six characters ("-32768"), and 1500 records of 100 four-digit photo numbers
// with a seven-digit amount, each field on its own line.
constexpr qint64 kLargestHeaderBytes =
    kTextHeaderFields * (2 * 256 + 3) + (kHeaderFields - kTextHeaderFields) * (24 + 1) + 2;
constexpr qint64 kLargestCountBytes = qint64(kCountFields) * (6 + 2);
constexpr qint64 kLargestRecordBytes =
    qint64(kRecordFields) * (2 + 7 + JobState::kMaxEntryPrints * 5 + 10 + 2);
constexpr qint64 kLargestJobFileBytes =
    kLargestHeaderBytes + kLargestCountBytes + kLargestRecordBytes;

// Files above this size are refused without being read: eight times the
// largest job file (about 7 MB), room enough for long typed photo numbers
// and long header texts, and far below what would strain memory.
constexpr qint64 kMaxJobFileBytes = 8 * kLargestJobFileBytes;

// What the loader takes beyond the layout, so that every job it loads can
// be shown, and saved again within kMaxJobFileBytes.

// A header text (customer, event, date, photographer): at most as long as
// the setup screen's boxes take.
constexpr int kMaxHeaderTextLength = 32767;

// A registered pupil's record: at most 100 photo numbers, as the input and
// correction screens allow; besides them the pupil label and the amount
// and nothing else; each photo number or label at most kMaxRecordItemBytes
// bytes as written (its blank included), the amount item (the amount of any
// price the setup screen takes, up to 310 digits) at most
// kMaxAmountItemBytes.
constexpr int kMaxRecordPhotoNumbers = JobState::kMaxEntryPrints;
constexpr int kMaxRecordOtherItems = 2;
constexpr int kMaxRecordItemBytes = 24;
constexpr int kMaxAmountItemBytes = 330;
constexpr qint64 kLargestRecordFieldBytes =
    2 + kMaxRecordOtherItems * qint64(kMaxAmountItemBytes) +
    qint64(kMaxRecordPhotoNumbers + 1) * kMaxRecordItemBytes + 2;  // quotes, items, CR LF

// The largest file the writer makes of a job the loader took: the header
// texts at their longest in double-byte characters, every number in up to
// 311 characters, counts of up to six characters and every record at its
// longest.
constexpr qint64 kLargestLoadableJobFileBytes =
    kTextHeaderFields * (2 * qint64(kMaxHeaderTextLength) + 3) +
    (kHeaderFields - kTextHeaderFields) * (311 + 1) + 2 + kLargestCountBytes +
    qint64(kRecordFields) * kLargestRecordFieldBytes;
static_assert(kLargestLoadableJobFileBytes <= kMaxJobFileBytes,
              "a job the loader takes must save within the size the loader reads");

}  // namespace JobFileFormat

// Where in a job file a field lies.
enum class JobFileSection {
    Header,  // position 1 to 21
    Count,   // the count of photo number k
    Record,  // the record of pupil slot k
};

// The operator's name of header field 1 to 21 (得意先, 行事名, ...).
QString jobFileHeaderFieldName(int position);

// "ヘッダーの第 8 項目（中の設定）", "写真番号 57 の注文数",
// "12 人目の個人データ": where a field lies, for messages.
QString jobFileFieldPlace(JobFileSection section, int index);
