#include "domain/job_file_loader.h"

#include "domain/cp932.h"

#include <QFile>
#include <QIODevice>

namespace JobFileLoadMessages {

const QString kCannotOpen = QStringLiteral("ファイルを開けませんでした。\n%1");
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

QString reasonText(JobFileLoadResult::Reason reason) {
    using Reason = JobFileLoadResult::Reason;
    switch (reason) {
        case Reason::None:
            return {};
        case Reason::CannotOpen:
            return QStringLiteral("ファイルを開けません");
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
    }
    return {};
}

}  // namespace JobFileLoadMessages

namespace {

using Reason = JobFileLoadResult::Reason;
using Status = JobFileLoadResult::Status;

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
        if (!readHeader())
            return result_;
        for (int k = 1; k <= counts; ++k) {
            if (!read(JobFileSection::Count, k))
                return result_;
            const FieldValue<std::int16_t> count = countFieldToInt16(field_);
            if (!count.ok()) {
                fail(count.problem);
                return result_;
            }
            job_.printCounts[std::size_t(k)] = count.value;
            stored_ = true;
        }
        for (int k = 1; k <= JobFileFormat::kRecordFields; ++k) {
            if (!read(JobFileSection::Record, k))
                return result_;
            QString record = field_.text.toString();
            if (!record.contains(u'('))
                record.prepend(QStringLiteral("(") + QString::number(k) + QStringLiteral(") "));
            job_.personRecords[k] = std::move(record);
            stored_ = true;
        }
        result_.status = Status::Complete;
        return result_;
    }

private:
    bool readHeader() {
        for (int p = 1; p <= JobFileFormat::kHeaderFields; ++p) {
            if (!read(JobFileSection::Header, p))
                return false;
            if (!storeHeaderField(p))
                return false;
            stored_ = true;
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
        return true;
    }

    void fail(FieldProblem problem) {
        result_.status = stored_ ? Status::Partial : Status::NothingRead;
        result_.reason = reasonOf(problem);
    }

    JobState& job_;
    JobFileFieldReader reader_;
    JobFileField field_;
    JobFileLoadResult result_;
    bool stored_ = false;
};

void describe(JobFileLoadResult& result) {
    using namespace JobFileLoadMessages;
    if (result.complete()) {
        result.message.clear();
        return;
    }
    const QString place = jobFileFieldPlace(result.section, result.index);
    const QString& text = result.status == Status::Partial ? kPartial : kNothingRead;
    result.message =
        text.arg(place, reasonText(result.reason), QString::number(result.fieldNumber));
}

}  // namespace

JobFileLoadResult loadJobFileText(JobState& job, const QString& text) {
    JobFileLoadResult result = Loader(job, text).run();
    describe(result);
    return result;
}

JobFileLoadResult loadJobFile(JobState& job, QIODevice* device, qint64 maxBytes) {
    const BoundedRead read = readBounded(device, maxBytes);
    switch (read.status) {
        case BoundedRead::Status::Ok:
            break;
        case BoundedRead::Status::TooLarge: {
            JobFileLoadResult result;
            result.reason = Reason::TooLarge;
            result.fileSize = read.size;
            const QString size = read.size >= 0 ? QString::number(read.size)
                                                : QStringLiteral("%1 以上").arg(maxBytes + 1);
            result.message = JobFileLoadMessages::kTooLarge.arg(size, QString::number(maxBytes));
            return result;
        }
        case BoundedRead::Status::ReadError: {
            JobFileLoadResult result;
            result.reason = Reason::ReadError;
            result.message = JobFileLoadMessages::kReadError.arg(device->errorString());
            return result;
        }
    }
    JobFileLoadResult result = loadJobFileText(job, decodeCp932(read.bytes));
    result.fileSize = read.bytes.size();
    return result;
}

JobFileLoadResult LoadJobFile(JobState& job, const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        JobFileLoadResult result;
        result.reason = Reason::CannotOpen;
        result.message = JobFileLoadMessages::kCannotOpen.arg(path);
        return result;
    }
    return loadJobFile(job, &file);
}
