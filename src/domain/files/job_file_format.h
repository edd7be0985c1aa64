// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

#include <array>
#include <cstdint>
#include <variant>

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

// What a header field holds, and so how the loader checks it.
enum class HeaderKind {
    Text,         // a text of the setup screen: no longer than kMaxHeaderTextLength
    Mode,         // 0: the size is set up, 1: it is switched off
    RangeStart,   // a size's first photo number: 1..9999 when in use, 0 when switched off
    RangeEnd,     // its last one: the same, and not below the first
    UnitPrice,    // the price of a print of a size: below 30000 when in use, 0 when off
    Total,        // prints ordered, of every size or of one: taken as it is
    PersonCount,  // pupils registered: a whole number 0..1500
    LastSlot,     // the slot of the pupil registered last: the same as PersonCount
};

// The size a field belongs to: a size without a Mode field (small) is always
// in use. The texts, the pupils and the total of every size belong to none.
enum class HeaderSize { None, Large, Medium, Small };

// Where a header field lives in the job. Its type says how the loader reads
// it: a NumberOrText takes the field's number, or its text when it is quoted
// or no number; a QString the text as it is; a Number the numeric reading of
// either; the 16- and 32-bit integers the number rounded, refusing one that
// is no number or does not fit.
using HeaderMember = std::variant<QString JobState::*, NumberOrText JobState::*, Number JobState::*,
                                  std::int16_t JobState::*, std::int32_t JobState::*>;

struct HeaderField {
    const char16_t* name;  // the operator's name of the field
    HeaderKind kind;
    HeaderSize size;
    HeaderMember member;
};

// The header fields in the file's order. The writer writes the texts in
// double quotes and the rest as plain decimals; the totals it writes are
// those of the registered pupils (see jobFileContents).
inline constexpr std::array<HeaderField, kHeaderFields> kHeader = {{
    {u"得意先", HeaderKind::Text, HeaderSize::None, &JobState::customerName},
    {u"行事名", HeaderKind::Text, HeaderSize::None, &JobState::eventName},
    {u"撮影日", HeaderKind::Text, HeaderSize::None, &JobState::shootingDate},
    {u"撮影者", HeaderKind::Text, HeaderSize::None, &JobState::photographerName},
    {u"ネガ大の設定", HeaderKind::Mode, HeaderSize::Large, &JobState::largeMode},
    {u"ネガ大の始めのNo.", HeaderKind::RangeStart, HeaderSize::Large, &JobState::largeStart},
    {u"ネガ大の終わりのNo.", HeaderKind::RangeEnd, HeaderSize::Large, &JobState::largeEnd},
    {u"ネガ中の設定", HeaderKind::Mode, HeaderSize::Medium, &JobState::mediumMode},
    {u"ネガ中の始めのNo.", HeaderKind::RangeStart, HeaderSize::Medium, &JobState::mediumStart},
    {u"ネガ中の終わりのNo.", HeaderKind::RangeEnd, HeaderSize::Medium, &JobState::mediumEnd},
    {u"ネガ小の始めのNo.", HeaderKind::RangeStart, HeaderSize::Small, &JobState::smallStart},
    {u"ネガ小の終わりのNo.", HeaderKind::RangeEnd, HeaderSize::Small, &JobState::smallEnd},
    {u"写真（大）の単価", HeaderKind::UnitPrice, HeaderSize::Large, &JobState::largeUnitPrice},
    {u"写真（中）の単価", HeaderKind::UnitPrice, HeaderSize::Medium, &JobState::mediumUnitPrice},
    {u"写真（小）の単価", HeaderKind::UnitPrice, HeaderSize::Small, &JobState::smallUnitPrice},
    {u"全受注数", HeaderKind::Total, HeaderSize::None, &JobState::grandTotalPrints},
    {u"受注数（大）", HeaderKind::Total, HeaderSize::Large, &JobState::largeTotalPrints},
    {u"受注数（中）", HeaderKind::Total, HeaderSize::Medium, &JobState::mediumTotalPrints},
    {u"受注数（小）", HeaderKind::Total, HeaderSize::Small, &JobState::smallTotalPrints},
    {u"登録人数", HeaderKind::PersonCount, HeaderSize::None, &JobState::personCount},
    {u"最後に登録した番号", HeaderKind::LastSlot, HeaderSize::None, &JobState::lastRecordSlot},
}};

// The field at position 1 to kHeaderFields.
constexpr const HeaderField& headerField(int position) {
    return kHeader[std::size_t(position - 1)];
}

// The position of the field of that kind and size; 0 when there is none.
constexpr int headerPosition(HeaderKind kind, HeaderSize size) {
    for (int p = 1; p <= kHeaderFields; ++p) {
        if (headerField(p).kind == kind && headerField(p).size == size)
            return p;
    }
    return 0;
}

static_assert(
    [] {
        for (int p = 1; p <= kHeaderFields; ++p) {
            if ((headerField(p).kind == HeaderKind::Text) != (p <= kTextHeaderFields))
                return false;
        }
        return true;
    }(),
    "the texts come first, the numbers after them");

// The field's value in the job: the numeric value (a text's numeric reading),
// and the text (a number in plain decimal).
Number headerNumber(const JobState& job, const HeaderField& field);
QString headerText(const JobState& job, const HeaderField& field);

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
