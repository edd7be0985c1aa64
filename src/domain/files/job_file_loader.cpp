// SPDX-License-Identifier: MIT
#include "domain/files/job_file_loader.h"

#include "domain/entry/job_setup.h"
#include "domain/files/cp932.h"
#include "domain/files/system_files.h"

#include <array>
#include <cmath>
#include <optional>

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
int writtenBytes(QChar c) {
    return c.unicode() < 0x80 && c != u'"' ? 1 : 2;
}

// What is wrong with a registered pupil's record, if anything. The record
// is read as the record items are (see record_items.h): items ended by a
// blank, the amount the one holding a backslash, the label the one holding
// ")"; what follows the last blank counts as one more item.
std::optional<QString> recordProblem(QStringView record) {
    int photoNumbers = 0;
    int others = 0;
    qsizetype start = 0;
    int bytes = 0;
    bool amount = false;
    bool label = false;
    const auto endItem = [&](qsizetype end) -> std::optional<QString> {
        const auto item = [&] { return shown(record.mid(start, end - start).trimmed()); };
        if (!amount && !label) {
            if (++photoNumbers > JobFileFormat::kMaxRecordPhotoNumbers)
                return kTooManyPhotosProblem;
        } else if (++others > JobFileFormat::kMaxRecordOtherItems) {
            return kTooManyOtherItemsProblem.arg(item());
        }
        if (bytes >
            (amount ? JobFileFormat::kMaxAmountItemBytes : JobFileFormat::kMaxRecordItemBytes))
            return kItemTooLongProblem.arg(item());
        return std::nullopt;
    };
    for (qsizetype i = 0; i < record.size(); ++i) {
        const QChar c = record[i];
        bytes += writtenBytes(c);
        amount = amount || c == u'\\';
        label = label || c == u')';
        if (bytes > JobFileFormat::kMaxAmountItemBytes)
            return kItemTooLongProblem.arg(shown(record.mid(start).trimmed()));
        if (c != u' ')
            continue;
        if (const std::optional<QString> problem = endItem(i + 1))
            return problem;
        start = i + 1;
        bytes = 0;
        amount = label = false;
    }
    if (start < record.size())
        return endItem(record.size());
    return std::nullopt;
}

bool isWholeIn(Number value, Number low, Number high) {
    return value >= low && value <= high && value == std::floor(value);
}

// Reads the fields of one file into the job, keeping track of where it is.
class Loader {
public:
    Loader(JobState& job, const QString& text) : job_(job), reader_(text) {}

    JobFileLoadResult run() {
        // Counting pass: the counts end at the first field holding "(".
        for (int p = 1; p <= JobFileFormat::kHeaderFields; ++p) {
            if (!read(JobFileSection::Header, p))
                return result_;
        }
        int counts = 0;
        while (counts < JobFileFormat::kCountFields) {
            if (!read(JobFileSection::Count, counts + 1))
                return result_;
            if (field_.text.contains(u'('))
                break;
            ++counts;
        }
        result_.countFields = counts;

        // Reading pass.
        reader_.rewind();
        reading_ = true;
        if (!readHeader() || !checkHeader())
            return result_;
        for (int k = 1; k <= counts; ++k) {
            if (!read(JobFileSection::Count, k))
                return result_;
            const FieldValue<std::int16_t> count = countFieldToInt16(field_);
            if (!count.ok()) {
                fail(count.problem);
                return result_;
            }
            if (count.value < 0) {
                refuse(JobFileSection::Count, k,
                       kNegativeCountProblem.arg(shown(field_.text.trimmed())));
                return result_;
            }
            job_.printCounts[std::size_t(k)] = count.value;
        }
        const int persons = int(job_.personCount);  // checked: a whole number 0..1500
        for (int k = 1; k <= JobFileFormat::kRecordFields; ++k) {
            if (!read(JobFileSection::Record, k)) {
                // The registered pupils must all be there; the file may
                // break off among the slots not yet used.
                if (k <= persons)
                    result_.problem = JobFileLoadMessages::kRecordsMissing.arg(persons);
                else
                    result_.status = Status::Partial;
                return result_;
            }
            const QString label = QStringLiteral("(") + QString::number(k) + QStringLiteral(") ");
            if (k > persons) {
                job_.personRecords[k] = label;
                continue;
            }
            QString record = field_.text.toString();
            if (!record.contains(u'('))
                record.prepend(label);
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
    bool readHeader() {
        for (int p = 1; p <= JobFileFormat::kHeaderFields; ++p) {
            if (!read(JobFileSection::Header, p))
                return false;
            headerTexts_[std::size_t(p)] = field_.text.toString();
            if (!storeHeaderField(p))
                return false;
        }
        return true;
    }

    bool storeHeaderField(int position) {
        const auto int16 = [&](std::int16_t& target) {
            const FieldValue<std::int16_t> value = fieldToInt16(field_);
            if (!value.ok()) {
                fail(value.problem);
                return false;
            }
            target = value.value;
            return true;
        };
        const auto int32 = [&](std::int32_t& target) {
            const FieldValue<std::int32_t> value = fieldToInt32(field_);
            if (!value.ok()) {
                fail(value.problem);
                return false;
            }
            target = value.value;
            return true;
        };
        const NumberOrText numberOrText = fieldToNumberOrText(field_);
        switch (position) {
            case 1:
                job_.customerName = numberOrText;
                return true;
            case 2:
                job_.eventName = numberOrText;
                return true;
            case 3:
                job_.shootingDate = field_.text.toString();
                return true;
            case 4:
                job_.photographerName = numberOrText;
                return true;
            case 5:
                job_.largeMode = numberOrText;
                return true;
            case 6:
                job_.largeStart = numberOrText;
                return true;
            case 7:
                job_.largeEnd = numberOrText;
                return true;
            case 8:
                return int16(job_.mediumMode);
            case 9:
                job_.mediumStart = numberOrText;
                return true;
            case 10:
                job_.mediumEnd = numberOrText;
                return true;
            case 11:
                job_.smallStart = numberOrText;
                return true;
            case 12:
                return int16(job_.smallEnd);
            case 13:
                job_.largeUnitPrice = numberOrText;
                return true;
            case 14:
                job_.mediumUnitPrice = numberOrText;
                return true;
            case 15:
                return int32(job_.smallUnitPrice);
            case 16:
                job_.grandTotalPrints = numberOrText.value();
                return true;
            case 17:
                job_.largeTotalPrints = numberOrText.value();
                return true;
            case 18:
                job_.mediumTotalPrints = numberOrText.value();
                return true;
            case 19:
                return int32(job_.smallTotalPrints);
            case 20:
                job_.personCount = numberOrText.value();
                return true;
            case 21:
                job_.lastRecordSlot = numberOrText.value();
                return true;
        }
        return true;
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
        const JobState& j = job_;
        const QString value = shown(headerTexts_[std::size_t(position)].trimmed());
        const auto text = [&](const QString& t) -> std::optional<QString> {
            if (t.size() <= JobFileFormat::kMaxHeaderTextLength)
                return std::nullopt;
            return kTextTooLongProblem.arg(t.size()).arg(JobFileFormat::kMaxHeaderTextLength);
        };
        const auto mode = [&](Number m) -> std::optional<QString> {
            if (m == 0 || m == 1)
                return std::nullopt;
            return kModeProblem.arg(value);
        };
        // A range bound of a size in use lies in 1..9999; of a size switched
        // off it is 0.
        const auto bound = [&](bool inUse, Number v) -> std::optional<QString> {
            if (!inUse)
                return v == 0 ? std::nullopt : std::optional(kSwitchedOffProblem.arg(value));
            if (v >= 1 && v <= JobSetup::kHighestPhotoNumber)
                return std::nullopt;
            return kPhotoNumberProblem.arg(value);
        };
        const auto end = [&](bool inUse, Number start, Number v) -> std::optional<QString> {
            if (const auto problem = bound(inUse, v))
                return problem;
            if (start > v)
                return kEndBeforeStartProblem.arg(value, plainDecimal(start));
            return std::nullopt;
        };
        const auto price = [&](bool inUse, Number v) -> std::optional<QString> {
            if (!inUse)
                return v == 0 ? std::nullopt : std::optional(kSwitchedOffProblem.arg(value));
            if (std::isfinite(v) && v < JobSetup::kPriceLimit)
                return std::nullopt;
            return kPriceProblem.arg(value);
        };
        const bool largeInUse = j.largeMode.value() == 0;
        const bool mediumInUse = j.mediumMode == 0;
        switch (position) {
            case 1:
                return j.customerName.isText() ? text(j.customerName.toText()) : std::nullopt;
            case 2:
                return j.eventName.isText() ? text(j.eventName.toText()) : std::nullopt;
            case 3:
                return text(j.shootingDate);
            case 4:
                return j.photographerName.isText() ? text(j.photographerName.toText())
                                                   : std::nullopt;
            case 5:
                return mode(j.largeMode.value());
            case 6:
                return bound(largeInUse, j.largeStart.value());
            case 7:
                return end(largeInUse, j.largeStart.value(), j.largeEnd.value());
            case 8:
                return mode(j.mediumMode);
            case 9:
                return bound(mediumInUse, j.mediumStart.value());
            case 10:
                return end(mediumInUse, j.mediumStart.value(), j.mediumEnd.value());
            case 11:
                return bound(true, j.smallStart.value());
            case 12:
                return end(true, j.smallStart.value(), j.smallEnd);
            case 13:
                return price(largeInUse, j.largeUnitPrice.value());
            case 14:
                return price(mediumInUse, j.mediumUnitPrice.value());
            case 15:
                return price(true, j.smallUnitPrice);
            case 20:
                if (isWholeIn(j.personCount, 0, JobState::kMaxPersons))
                    return std::nullopt;
                return kPersonCountProblem.arg(value);
            case 21:
                if (j.lastRecordSlot == j.personCount)
                    return std::nullopt;
                return kLastSlotProblem.arg(value, plainDecimal(j.personCount));
        }
        return std::nullopt;
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
        if (reading_ && field_.text.contains(kCp932Replacement))
            result_.replacedPlaces << jobFileFieldPlace(section, index);
        return true;
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
    bool reading_ = false;
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
    JobFileLoadResult result = Loader(loaded, text).run();
    result.replacedBytes = replacedBytes;
    if (replacedBytes == 0)
        result.replacedPlaces.clear();
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

JobFileLoadResult cannotOpen(Reason reason, const QString& path) {
    JobFileLoadResult result;
    result.reason = reason;
    result.message = (reason == Reason::NotAFile ? JobFileLoadMessages::kNotAFile
                                                 : JobFileLoadMessages::kCannotOpen)
                         .arg(path);
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
    qsizetype replaced = 0;
    const QString text = decodeCp932(read.bytes, &replaced);
    JobFileLoadResult result = loadText(job, text, replaced);
    result.fileSize = read.bytes.size();
    return result;
}

JobFileLoadResult LoadJobFile(JobState& job, const QString& path) {
    QFile file;
    const Reason problem = openRegularFile(path, file);
    if (problem != Reason::None)
        return cannotOpen(problem, path);
    const FileStamp stamp = fileStampOfDescriptor(file.handle());
    JobFileLoadResult result = loadJobFile(job, &file);
    result.fileStamp = stamp;
    return result;
}
