// SPDX-License-Identifier: MIT
#include "domain/files/job_file_loader.h"

#include "domain/entry/job_setup.h"
#include "domain/files/cp932.h"
#include "domain/files/file_write_texts.h"
#include "domain/files/system_files.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <future>
#include <optional>
#include <type_traits>
#include <variant>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include <QFile>
#include <QIODevice>

namespace JobFileLoadMessages {

const QString kCannotOpen = QStringLiteral("ファイルを開けませんでした。\n%1");
const QString kNotAFile = QStringLiteral(
    "ファイルを開けませんでした。\n%1\n"
    "フォルダーや名前付きパイプなど、通常のファイルではないため読み込みませんでした。");
const QString kTooLarge = QStringLiteral(
    "このファイルはデータファイルとしては大きすぎるため、読み込みませんでした。\n"
    "（ファイルの大きさ %1 バイト、読み込める上限 %2 バイト）");
const QString kReadError = QStringLiteral("ファイルを読み込めませんでした。\n%1");
const QString kPartial = QStringLiteral(
    "データファイルを最後まで読み込めませんでした。\n"
    "ファイルの第 %3 項目（%1）で読み込みが止まり、それより前の項目だけが読み込まれています。\n"
    "理由：%2");
const QString kNothingRead = QStringLiteral(
    "データファイルを読み込めませんでした。\n"
    "ファイルの第 %3 項目（%1）で読み込みが止まったため、データは何も読み込まれていません。\n"
    "理由：%2");
const QString kBadValue = QStringLiteral(
    "データファイルを読み込めませんでした。\n"
    "ファイルの第 %3 項目（%1）の値が正しくないため、データは何も読み込まれていません。\n"
    "理由：%2");
const QString kRecordsMissing = QStringLiteral("登録人数 %1 人分の個人データがそろっていません");
const QString kReplacedBytes = QStringLiteral(
    "ファイルの中に、文字として読めないバイトが %1 か所ありました。"
    "その部分は「\uFFFD」に置き換えて読み込んでいます。%2");

QString reasonText(JobFileLoadResult::Reason reason) {
    using Reason = JobFileLoadResult::Reason;
    switch (reason) {
        case Reason::None:
            return {};
        case Reason::CannotOpen:
            return QStringLiteral("ファイルを開けません");
        case Reason::NotAFile:
            return QStringLiteral("通常のファイルではありません");
        case Reason::InUse:
            return QStringLiteral("ほかのプログラムがファイルを開いたままにしています");
        case Reason::TooLarge:
            return QStringLiteral("ファイルが大きすぎます");
        case Reason::ReadError:
            return QStringLiteral("ファイルを読み取れません");
        case Reason::EndOfFile:
            return QStringLiteral("ファイルがここで終わっています");
        case Reason::UnterminatedQuote:
            return QStringLiteral("引用符（\"）が閉じられていません");
        case Reason::NotANumber:
            return QStringLiteral("数値であるべき項目に数値以外が入っています");
        case Reason::OutOfRange:
            return QStringLiteral("数値が大きすぎるか小さすぎます");
        case Reason::BadValue:
            return QStringLiteral("値が正しくありません");
    }
    return {};
}

}  // namespace JobFileLoadMessages

namespace {

using Reason = JobFileLoadResult::Reason;
using Status = JobFileLoadResult::Status;

// What is wrong with a value, for the operator. %1 is the value as the file
// has it.
const QString kModeProblem =
    QStringLiteral("0（設定する）か 1（設定しない）でなければなりません（ファイルの値：%1）");
const QString kPhotoNumberProblem =
    QStringLiteral("写真番号は１～９９９９の範囲でなければなりません（ファイルの値：%1）");
const QString kEndBeforeStartProblem =
    QStringLiteral("終わりの番号が始めの番号 %2 より小さくなっています（ファイルの値：%1）");
const QString kSwitchedOffProblem =
    QStringLiteral("設定しないサイズの番号と単価は 0 でなければなりません（ファイルの値：%1）");
const QString kPriceProblem =
    QStringLiteral("単価は３００００より小さい数値でなければなりません（ファイルの値：%1）");
const QString kTextTooLongProblem = QStringLiteral("文字が長すぎます（%1 文字。%2 文字までです）");
const QString kPersonCountProblem =
    QStringLiteral("０～１５００の整数でなければなりません（ファイルの値：%1）");
const QString kLastSlotProblem =
    QStringLiteral("登録人数 %2 と同じでなければなりません（ファイルの値：%1）");
const QString kNegativeCountProblem =
    QStringLiteral("注文数がマイナスになっています（ファイルの値：%1）");
const QString kTooManyPhotosProblem =
    QStringLiteral("写真番号が１００個を超えています。一人分は１００枚までです");
const QString kItemTooLongProblem = QStringLiteral("長すぎる項目があります（「%1」）");
const QString kTooManyOtherItemsProblem =
    QStringLiteral("人の番号と金額のほかに、「)」や「\\」を含む項目があります（「%1」）");
const QString kMorePlaces = QStringLiteral("・ほか %1 か所");

constexpr qsizetype kShownValueLength = 20;
constexpr int kListedPlaces = 10;

// A value as the message shows it: long ones cut short.
QString shown(QStringView text) {
    if (text.size() <= kShownValueLength)
        return text.toString();
    return text.left(kShownValueLength).toString() + QStringLiteral("…");
}

Reason reasonOf(FieldProblem problem) {
    switch (problem) {
        case FieldProblem::None:
            return Reason::None;
        case FieldProblem::EndOfFile:
            return Reason::EndOfFile;
        case FieldProblem::UnterminatedQuote:
            return Reason::UnterminatedQuote;
        case FieldProblem::NotANumber:
            return Reason::NotANumber;
        case FieldProblem::OutOfRange:
            return Reason::OutOfRange;
    }
    return Reason::None;
}

// The bytes a character takes in the file as the writer writes it: one for
// an ASCII character, two for anything else (a CP932 double-byte character,
// or the double-byte substitute of a character CP932 lacks or of a double
// quote).
int writtenBytes(char16_t c) {
    return c < 0x80 && c != u'"' ? 1 : 2;
}

// The digits and the blanks among eight characters, a bit for each: with
// SSE2 (every x86-64 processor has it) eight at once.
struct EightMasks {
    unsigned digits = 0;
    unsigned blanks = 0;
};
EightMasks eightMasks(const char16_t* chars) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars));
    // Signed: a character from U+8000 up is below '0'.
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi16(v, _mm_set1_epi16(u'0' - 1)),
                                        _mm_cmplt_epi16(v, _mm_set1_epi16(u'9' + 1)));
    const __m128i blank = _mm_cmpeq_epi16(v, _mm_set1_epi16(u' '));
    return {unsigned(_mm_movemask_epi8(_mm_packs_epi16(digit, digit))) & 0xFF,
            unsigned(_mm_movemask_epi8(_mm_packs_epi16(blank, blank))) & 0xFF};
#else
    EightMasks masks;
    for (unsigned k = 0; k < 8; ++k) {
        masks.digits |= unsigned(unsigned(chars[k] - u'0') <= 9) << k;
        masks.blanks |= unsigned(chars[k] == u' ') << k;
    }
    return masks;
#endif
}

// The bits set in each byte, without the processor's own count, which
// x86-64 does not promise.
constexpr std::array<std::uint8_t, 256> kBitsSet = [] {
    std::array<std::uint8_t, 256> bits{};
    for (unsigned n = 1; n < 256; ++n)
        bits[n] = std::uint8_t(bits[n / 2] + (n & 1));
    return bits;
}();

// Whole photo numbers, eight characters at a time: the complete items of
// digits at the start of chars (size characters), each ended by its blank,
// until eight characters that are not all digits and blanks, or hold no
// blank. Returns where the first item not taken starts, and adds the items
// taken to *items. None of them can be wrong but by their number: each is
// at most 14 digits (the end of one eight, the start of the next).
qsizetype plainPhotoNumbers(const char16_t* chars, qsizetype size, int* items) {
    static_assert(JobFileFormat::kMaxRecordItemBytes >= 14 + 1, "14 digits and a blank");
    qsizetype next = 0;
    // The eights follow each other whatever they hold, so that the reading
    // of one need not wait for the one before.
    for (qsizetype at = 0; size - at >= 8; at += 8) {
        const EightMasks masks = eightMasks(chars + at);
        if ((masks.digits | masks.blanks) != 0xFF || masks.blanks == 0)
            break;
        *items += kBitsSet[masks.blanks];
        next = at + std::bit_width(masks.blanks);  // past its last blank
    }
    return next;
}

// What is wrong with a registered pupil's record, if anything. The record
// is read as the record items are (see record_items.h): items ended by a
// blank, the amount the one holding a backslash, the label the one holding
// ")"; what follows the last blank counts as one more item. An item's bytes
// count its blank.
std::optional<QString> recordProblem(const QString& record) {
    // Ends in a 0 (utf16() says so), which stops the run of digits below.
    const char16_t* const chars = reinterpret_cast<const char16_t*>(record.utf16());
    const qsizetype size = record.size();
    const auto item = [&](qsizetype start, qsizetype end) {
        return shown(QStringView(record).mid(start, end - start).trimmed());
    };
    int photoNumbers = 0;
    int others = 0;
    for (qsizetype start = 0; start < size;) {
        if (const qsizetype plain = plainPhotoNumbers(chars + start, size - start, &photoNumbers)) {
            if (photoNumbers > JobFileFormat::kMaxRecordPhotoNumbers)
                return kTooManyPhotosProblem;  // those before it all fine
            start += plain;
            continue;
        }
        // One item: up to its blank, or to the end of the record. Digits,
        // most of a record, take one byte each and mark nothing.
        qsizetype wide = 0;  // characters written in two bytes
        bool amount = false;
        bool label = false;
        qsizetype end = start;
        for (;;) {
            while (unsigned(chars[end] - u'0') <= 9)
                ++end;
            if (end == size)
                break;
            const char16_t c = chars[end++];
            if (c == u' ')
                break;
            wide += writtenBytes(c) - 1;
            amount = amount || c == u'\\';
            label = label || c == u')';
        }
        const qsizetype bytes = end - start + wide;  // with the blank
        if (bytes > JobFileFormat::kMaxAmountItemBytes)
            return kItemTooLongProblem.arg(item(start, size));
        if (!amount && !label) {
            if (++photoNumbers > JobFileFormat::kMaxRecordPhotoNumbers)
                return kTooManyPhotosProblem;
        } else if (++others > JobFileFormat::kMaxRecordOtherItems) {
            return kTooManyOtherItemsProblem.arg(item(start, end));
        }
        if (bytes >
            (amount ? JobFileFormat::kMaxAmountItemBytes : JobFileFormat::kMaxRecordItemBytes))
            return kItemTooLongProblem.arg(item(start, end));
        start = end;
    }
    return std::nullopt;
}

// A field converted into a 16- or 32-bit integer.
template <typename Integer>
FieldValue<Integer> fieldToInteger(const JobFileField& field) {
    if constexpr (std::is_same_v<Integer, std::int16_t>)
        return fieldToInt16(field);
    else
        return fieldToInt32(field);
}

bool isWholeIn(Number value, Number low, Number high) {
    return value >= low && value <= high && value == std::floor(value);
}

// Reads the fields of one file into the job, keeping track of where it is.
class Loader {
public:
    // placesOfReplaced: whether the text holds characters read as U+FFFD,
    // whose fields are then listed.
    Loader(JobState& job, const QString& text, bool placesOfReplaced)
        : job_(job), reader_(text), placesOfReplaced_(placesOfReplaced) {}

    // One pass over the fields. What is wrong with a header field or a
    // count is told only once the counts' end is found, in the order the
    // checks have always had: a file that breaks off before that first, then
    // a header field that does not convert, the header's values, the counts.
    JobFileLoadResult run() {
        Unconverted header;
        for (int p = 1; p <= JobFileFormat::kHeaderFields; ++p) {
            if (!read(JobFileSection::Header, p))
                return result_;
            headerTexts_[std::size_t(p)] = field_.text.toString();
            const FieldProblem problem = storeHeaderField(p);
            if (!header.found() && problem != FieldProblem::None)
                header = {p, problem, {}};
        }
        // The counts end at the first field holding "(", the first record.
        Unconverted count;
        int counts = 0;
        bool recordRead = false;
        while (counts < JobFileFormat::kCountFields) {
            if (!read(JobFileSection::Count, counts + 1))
                return result_;
            if (holds(field_.text, u'(')) {
                recordRead = true;
                break;
            }
            ++counts;
            if (count.found())
                continue;
            const FieldValue<std::int16_t> value = countFieldToInt16(field_);
            if (!value.ok())
                count = {counts, value.problem, {}};
            else if (value.value < 0)
                count = {counts, {}, kNegativeCountProblem.arg(shown(field_.text.trimmed()))};
            else
                job_.printCounts[std::size_t(counts)] = value.value;
        }
        result_.countFields = counts;
        if (header.found()) {
            failAt(JobFileSection::Header, header.index, header.index, header.problem);
            return result_;
        }
        if (!checkHeader())
            return result_;
        if (count.found()) {
            if (count.badValue.isEmpty())
                failAt(JobFileSection::Count, count.index,
                       JobFileFormat::kHeaderFields + count.index, count.problem);
            else
                refuse(JobFileSection::Count, count.index, count.badValue);
            return result_;
        }

        const int persons = int(job_.personCount);  // checked: a whole number 0..1500
        for (int k = 1; k <= JobFileFormat::kRecordFields; ++k) {
            if (recordRead) {
                recordRead = false;  // the field that ended the counts
                moveLastPlace(JobFileSection::Record, k);
            } else if (!read(JobFileSection::Record, k)) {
                // The registered pupils must all be there; the file may
                // break off among the slots not yet used.
                if (k <= persons)
                    result_.problem = JobFileLoadMessages::kRecordsMissing.arg(persons);
                else
                    result_.status = Status::Partial;
                return result_;
            }
            const auto label = [k] { return u'(' + QString::number(k) + QStringLiteral(") "); };
            if (k > persons) {
                job_.personRecords[k] = label();
                continue;
            }
            QString record =
                field_.text.contains(u'(') ? field_.text.toString() : label().append(field_.text);
            if (const std::optional<QString> problem = recordProblem(record)) {
                refuse(JobFileSection::Record, k, *problem);
                return result_;
            }
            job_.personRecords[k] = std::move(record);
        }
        result_.status = Status::Complete;
        return result_;
    }

private:
    // The first field of a kind that could not be taken, and why: it does
    // not convert (problem), or its value cannot be taken (badValue).
    struct Unconverted {
        int index = 0;
        FieldProblem problem = FieldProblem::None;
        QString badValue;
        bool found() const { return index > 0; }
    };

    // Whether a text holds the character: a short one looked through here,
    // a long one by Qt's search.
    static bool holds(QStringView text, char16_t c) {
        if (text.size() > 16)
            return text.contains(QChar(c));
        return std::find(text.begin(), text.end(), QChar(c)) != text.end();
    }

    // Stores the field just read as the header table says; the problem when
    // the field does not fit the place the field lives in.
    FieldProblem storeHeaderField(int position) {
        const JobFileFormat::HeaderField& header = JobFileFormat::headerField(position);
        const FieldProblem problem = std::visit(
            [&](auto member) {
                auto& target = job_.*member;
                using Target = std::decay_t<decltype(target)>;
                if constexpr (std::is_same_v<Target, QString>) {
                    target = field_.text.toString();
                } else if constexpr (std::is_same_v<Target, NumberOrText>) {
                    target = fieldToNumberOrText(field_);
                } else if constexpr (std::is_same_v<Target, Number>) {
                    target = fieldToNumberOrText(field_).value();
                } else {
                    const FieldValue<Target> value = fieldToInteger<Target>(field_);
                    if (!value.ok())
                        return value.problem;
                    target = value.value;
                }
                return FieldProblem::None;
            },
            header.member);
        return problem;
    }

    // The header as the setup screen would have left it; the first field in
    // the file's order that is not is refused.
    bool checkHeader() {
        for (int p = 1; p <= JobFileFormat::kHeaderFields; ++p) {
            if (const std::optional<QString> problem = headerProblem(p)) {
                refuse(JobFileSection::Header, p, *problem);
                return false;
            }
        }
        return true;
    }

    std::optional<QString> headerProblem(int position) const {
        using JobFileFormat::HeaderKind;
        using JobFileFormat::HeaderSize;
        const JobFileFormat::HeaderField& field = JobFileFormat::headerField(position);
        const QString value = shown(headerTexts_[std::size_t(position)].trimmed());
        const auto numberOf = [&](HeaderKind kind, HeaderSize size) {
            return JobFileFormat::headerNumber(
                job_, JobFileFormat::headerField(JobFileFormat::headerPosition(kind, size)));
        };
        // A size without a mode field (small) is always in use.
        const bool inUse = JobFileFormat::headerPosition(HeaderKind::Mode, field.size) == 0 ||
                           numberOf(HeaderKind::Mode, field.size) == 0;
        const Number v = JobFileFormat::headerNumber(job_, field);
        // A range bound of a size in use lies in 1..9999; of a size switched
        // off it is 0.
        const auto bound = [&]() -> std::optional<QString> {
            if (!inUse)
                return v == 0 ? std::nullopt : std::optional(kSwitchedOffProblem.arg(value));
            if (v >= 1 && v <= JobSetup::kHighestPhotoNumber)
                return std::nullopt;
            return kPhotoNumberProblem.arg(value);
        };
        switch (field.kind) {
            case HeaderKind::Text:
                return textProblem(field);
            case HeaderKind::Mode:
                if (v == 0 || v == 1)
                    return std::nullopt;
                return kModeProblem.arg(value);
            case HeaderKind::RangeStart:
                return bound();
            case HeaderKind::RangeEnd: {
                if (const auto problem = bound())
                    return problem;
                const Number start = numberOf(HeaderKind::RangeStart, field.size);
                if (start > v)
                    return kEndBeforeStartProblem.arg(value, plainDecimal(start));
                return std::nullopt;
            }
            case HeaderKind::UnitPrice:
                if (!inUse)
                    return v == 0 ? std::nullopt : std::optional(kSwitchedOffProblem.arg(value));
                if (std::isfinite(v) && v < JobSetup::kPriceLimit)
                    return std::nullopt;
                return kPriceProblem.arg(value);
            case HeaderKind::Total:
                return std::nullopt;
            case HeaderKind::PersonCount:
                if (isWholeIn(v, 0, JobState::kMaxPersons))
                    return std::nullopt;
                return kPersonCountProblem.arg(value);
            case HeaderKind::LastSlot: {
                const Number persons = numberOf(HeaderKind::PersonCount, HeaderSize::None);
                if (v == persons)
                    return std::nullopt;
                return kLastSlotProblem.arg(value, plainDecimal(persons));
            }
        }
        return std::nullopt;
    }

    // A text no longer than the setup screen's box takes; a field read as a
    // number holds no text.
    std::optional<QString> textProblem(const JobFileFormat::HeaderField& field) const {
        QString text;
        if (const auto* member = std::get_if<NumberOrText JobState::*>(&field.member)) {
            const NumberOrText& held = job_.**member;
            if (!held.isText())
                return std::nullopt;
            text = held.toText();
        } else {
            text = JobFileFormat::headerText(job_, field);
        }
        if (text.size() <= JobFileFormat::kMaxHeaderTextLength)
            return std::nullopt;
        return kTextTooLongProblem.arg(text.size()).arg(JobFileFormat::kMaxHeaderTextLength);
    }

    // Reads the next field, noting where it lies; false when it cannot be read.
    bool read(JobFileSection section, int index) {
        result_.section = section;
        result_.index = index;
        const FieldProblem problem = reader_.next(&field_);
        result_.fieldNumber = int(reader_.fieldsRead()) + (problem == FieldProblem::None ? 0 : 1);
        if (problem != FieldProblem::None) {
            fail(problem);
            return false;
        }
        if (placesOfReplaced_ && field_.text.contains(kCp932Replacement))
            result_.replacedPlaces << jobFileFieldPlace(section, index);
        return true;
    }

    // The field just read is taken as another: where it lies, and its place
    // among those holding replaced bytes.
    void moveLastPlace(JobFileSection section, int index) {
        result_.section = section;
        result_.index = index;
        if (placesOfReplaced_ && field_.text.contains(kCp932Replacement))
            result_.replacedPlaces.last() = jobFileFieldPlace(section, index);
    }

    // A field read earlier could not be converted: the file is refused.
    void failAt(JobFileSection section, int index, int fieldNumber, FieldProblem problem) {
        result_.section = section;
        result_.index = index;
        result_.fieldNumber = fieldNumber;
        fail(problem);
    }

    // Reading stopped at the field: the file is refused.
    void fail(FieldProblem problem) {
        result_.status = Status::NothingRead;
        result_.reason = reasonOf(problem);
    }

    // The value of a field read earlier cannot be taken: the file is refused.
    void refuse(JobFileSection section, int index, const QString& problem) {
        result_.status = Status::NothingRead;
        result_.reason = Reason::BadValue;
        result_.section = section;
        result_.index = index;
        result_.problem = problem;
        switch (section) {
            case JobFileSection::Header:
                result_.fieldNumber = index;
                break;
            case JobFileSection::Count:
                result_.fieldNumber = JobFileFormat::kHeaderFields + index;
                break;
            case JobFileSection::Record:
                result_.fieldNumber = JobFileFormat::kHeaderFields + result_.countFields + index;
                break;
        }
    }

    JobState& job_;
    JobFileFieldReader reader_;
    JobFileField field_;
    JobFileLoadResult result_;
    bool placesOfReplaced_ = false;
    std::array<QString, JobFileFormat::kHeaderFields + 1> headerTexts_;
};

QString replacedNote(const JobFileLoadResult& result) {
    if (result.replacedBytes == 0)
        return {};
    QStringList lines;
    for (const QString& place : result.replacedPlaces) {
        if (lines.size() == kListedPlaces) {
            lines << kMorePlaces.arg(result.replacedPlaces.size() - kListedPlaces);
            break;
        }
        lines << QStringLiteral("・") + place;
    }
    const QString places = lines.isEmpty() ? QString() : u'\n' + lines.join(u'\n');
    return JobFileLoadMessages::kReplacedBytes.arg(result.replacedBytes).arg(places);
}

void describe(JobFileLoadResult& result) {
    using namespace JobFileLoadMessages;
    const QString place = jobFileFieldPlace(result.section, result.index);
    const QString number = QString::number(result.fieldNumber);
    switch (result.status) {
        case Status::Complete:
            result.message = replacedNote(result);
            return;
        case Status::Partial:
            result.message = kPartial.arg(place, reasonText(result.reason), number);
            if (result.replacedBytes > 0)
                result.message += QStringLiteral("\n\n") + replacedNote(result);
            return;
        case Status::NothingRead:
            if (result.reason == Reason::BadValue) {
                result.message = kBadValue.arg(place, result.problem, number);
            } else {
                QString why = reasonText(result.reason);
                if (!result.problem.isEmpty())
                    why += QStringLiteral("（") + result.problem + QStringLiteral("）");
                result.message = kNothingRead.arg(place, why, number);
            }
            return;
    }
}

JobFileLoadResult loadText(JobState& job, const QString& text, qsizetype replacedBytes) {
    // Read into a copy, so that a refused file leaves the job as it was.
    JobState loaded = job;
    JobFileLoadResult result = Loader(loaded, text, replacedBytes > 0).run();
    result.replacedBytes = replacedBytes;
    if (result.loaded())
        job = std::move(loaded);
    describe(result);
    return result;
}

JobFileLoadResult tooLarge(qint64 size, qint64 maxBytes) {
    JobFileLoadResult result;
    result.reason = Reason::TooLarge;
    result.fileSize = size;
    const QString shownSize =
        size >= 0 ? QString::number(size) : QStringLiteral("%1 以上").arg(maxBytes + 1);
    result.message = JobFileLoadMessages::kTooLarge.arg(shownSize, QString::number(maxBytes));
    return result;
}

// A file another program holds open: in the save's words for it, which
// say what to do as well.
QString inUseText(const QString& path) {
    FileWriteTexts::WriteWording opening;
    opening.verb = QStringLiteral("開い");
    return JobFileLoadMessages::kCannotOpen.arg(path) + u'\n' + FileWriteTexts::kInUse + u'\n' +
           FileWriteTexts::closeAndRetryText(opening);
}

JobFileLoadResult cannotOpen(Reason reason, const QString& path) {
    using namespace JobFileLoadMessages;
    JobFileLoadResult result;
    result.reason = reason;
    switch (reason) {
        case Reason::NotAFile:
            result.message = kNotAFile.arg(path);
            break;
        case Reason::InUse:
            result.message = inUseText(path);
            break;
        default:
            result.message = kCannotOpen.arg(path);
            break;
    }
    return result;
}

// Opens the file at path for reading when it is a file: a named pipe would
// hold the program in open() until something writes to it, and a device or
// a folder is no job file either.
Reason openRegularFile(const QString& path, QFile& file) {
    if (path.isEmpty())
        return Reason::CannotOpen;
    switch (SystemFiles::openRegularFile(path, file)) {
        case SystemFiles::Opened::Yes:
            return Reason::None;
        case SystemFiles::Opened::NotAFile:
            return Reason::NotAFile;
        case SystemFiles::Opened::InUse:
            return Reason::InUse;
        case SystemFiles::Opened::CannotOpen:
            break;
    }
    return Reason::CannotOpen;
}

}  // namespace

JobFileLoadResult loadJobFileText(JobState& job, const QString& text) {
    return loadText(job, text, 0);
}

JobFileLoadResult loadJobFileBytes(JobState& job, QByteArrayView bytes) {
    if (bytes.size() > JobFileFormat::kMaxJobFileBytes)
        return tooLarge(bytes.size(), JobFileFormat::kMaxJobFileBytes);
    qsizetype replaced = 0;
    const QString text = decodeCp932(bytes, &replaced);
    JobFileLoadResult result = loadText(job, text, replaced);
    result.fileSize = bytes.size();
    return result;
}

JobFileLoadResult loadJobFile(JobState& job, QIODevice* device, qint64 maxBytes) {
    const BoundedRead read = readBounded(device, maxBytes);
    switch (read.status) {
        case BoundedRead::Status::Ok:
            break;
        case BoundedRead::Status::TooLarge:
            return tooLarge(read.size, maxBytes);
        case BoundedRead::Status::ReadError: {
            JobFileLoadResult result;
            result.reason = Reason::ReadError;
            result.message = JobFileLoadMessages::kReadError.arg(device->errorString());
            return result;
        }
    }
    // The digest is worked out beside the reading, on a thread of its own.
    std::future<QByteArray> digest =
        std::async(std::launch::async, [&bytes = read.bytes] { return contentDigest(bytes); });
    qsizetype replaced = 0;
    const QString text = decodeCp932(read.bytes, &replaced);
    JobFileLoadResult result = loadText(job, text, replaced);
    result.fileSize = read.bytes.size();
    result.fileDigest = digest.get();
    return result;
}

JobFileLoadResult LoadJobFile(JobState& job, const QString& path) {
    QFile file;
    const Reason problem = openRegularFile(path, file);
    if (problem != Reason::None)
        return cannotOpen(problem, path);
    return loadJobFile(job, &file);
}
