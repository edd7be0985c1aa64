// SPDX-License-Identifier: MIT
#include "domain/files/job_file_writer.h"

#include "domain/files/cp932.h"
#include "domain/job/record_items.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>

namespace JobFileSaveMessages {

const QString kSaveFailed = QStringLiteral("データを保存できませんでした。\n%1\n%2\n%3\n");
const QString kNotReplaced = QStringLiteral("保存先のファイルは書き換えられていません。");
const QString kBackupUntouched = QStringLiteral("前の控えのファイルもそのまま残っています。");
const QString kNotConfirmed = QStringLiteral(
    "データを保存しましたが、ディスクに書き込まれたことを確かめられませんでした。\n%1\n%2\n"
    "もう一度保存してください。");
const QString kEncodeFailed = QStringLiteral(
    "データを保存できませんでした。\n%1\n"
    "データをファイルの文字コードに変換できませんでした。\n"
    "保存先のファイルは書き換えられていません。");
const QString kDeviceFailed = QStringLiteral("データを書き込めませんでした。%1");

const QString kCreateFailed = QStringLiteral("保存先に新しいファイルを作れませんでした。");
const QString kWriteFailed = QStringLiteral("ファイルを書いている途中で止まりました。");
const QString kSyncFailed = QStringLiteral("書き込んだデータをディスクに確定できませんでした。");
const QString kReadPreviousFailed =
    QStringLiteral("前のファイルを読めなかったため、その控え %1 を作れませんでした。");
const QString kBackupFailed = QStringLiteral("前のファイルの控え %1 を作れませんでした。");
const QString kReplaceFailed =
    QStringLiteral("書き込んだデータで保存先のファイルを置き換えられませんでした。");

const QString kDiskFull = QStringLiteral("ディスクの空きが足りません。");
const QString kQuotaExceeded = QStringLiteral("ディスクの使用量が上限に達しています。");
const QString kTooLarge = QStringLiteral("ファイルが大きすぎて、この保存先には書き込めません。");
const QString kNoPermission = QStringLiteral("この場所に書き込む権限がありません。");
const QString kFileReadOnly =
    QStringLiteral("保存先のファイルは書き換えが許可されていません（読み取り専用です）。");
const QString kReadOnly = QStringLiteral("保存先は読み取り専用です。");
const QString kNameTooLong = QStringLiteral("ファイル名が長すぎます。短い名前にしてください。");
const QString kFolderMissing = QStringLiteral("保存先のフォルダーがありません。");
const QString kIsFolder = QStringLiteral("同じ名前のフォルダーがあります。");
const QString kNotAFile =
    QStringLiteral("同じ名前で、ファイルではないもの（装置など）があります。");
const QString kLinkLoop =
    QStringLiteral("シンボリックリンクが輪になっていて、保存先をたどれません。");
const QString kDeviceError = QStringLiteral("ディスクの読み書きでエラーが起きました。");
const QString kOtherError = QStringLiteral("予期しないエラーが起きました（エラー番号 %1）。");
const QString kDeviceRefused = QStringLiteral("書き込み先がデータを最後まで受け付けませんでした。");

QString causeText(FileFault fault, int systemError) {
    switch (fault) {
        case FileFault::DiskFull:
            return kDiskFull;
        case FileFault::QuotaExceeded:
            return kQuotaExceeded;
        case FileFault::TooLarge:
            return kTooLarge;
        case FileFault::NoPermission:
            return kNoPermission;
        case FileFault::FileReadOnly:
            return kFileReadOnly;
        case FileFault::ReadOnly:
            return kReadOnly;
        case FileFault::NameTooLong:
            return kNameTooLong;
        case FileFault::FolderMissing:
            return kFolderMissing;
        case FileFault::IsFolder:
            return kIsFolder;
        case FileFault::NotAFile:
            return kNotAFile;
        case FileFault::LinkLoop:
            return kLinkLoop;
        case FileFault::DeviceError:
            return kDeviceError;
        case FileFault::None:
        case FileFault::Other:
            break;
    }
    return kOtherError.arg(systemError);
}

const QString kSubstituted = QStringLiteral(
    "次の項目にはデータファイルに書けない文字があったため、代わりの文字に置き換えて保存しました。\n"
    "%1");
const QString kPendingLeftOut = QStringLiteral(
    "入力中の人の注文（%1 枚）はまだ登録されていないため、保存したファイルには含まれていません。");

QString substitutionLine(const JobFileSubstitution& substitution) {
    const QString place = substitution.section == JobFileSection::Header
                              ? jobFileHeaderFieldName(substitution.index)
                              : jobFileFieldPlace(substitution.section, substitution.index);
    // A record can be long: show its beginning.
    constexpr qsizetype kShown = 40;
    const auto shorten = [](const QString& text) {
        return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("…");
    };
    return QStringLiteral("・%1：「%2」→「%3」")
        .arg(place, shorten(substitution.original), shorten(substitution.written));
}

const QString kMoreSubstitutions = QStringLiteral("・ほか %1 件");

}  // namespace JobFileSaveMessages

namespace {

const QString kBackupSuffix = QStringLiteral(".bak");

// Look-alikes that CP932 holds for characters it lacks (the usual strays
// from text typed on other systems); anything else becomes "〓".
constexpr std::array<std::pair<char32_t, char16_t>, 9> kLookAlikes = {{
    {U'"', u'＂'},
    {U'\u00A5', u'￥'},  // YEN SIGN
    {U'\u301C', u'～'},  // WAVE DASH
    {U'\u2212', u'－'},  // MINUS SIGN
    {U'\u2016', u'∥'},   // DOUBLE VERTICAL LINE
    {U'\u00A2', u'￠'},  // CENT SIGN
    {U'\u00A3', u'￡'},  // POUND SIGN
    {U'\u00AC', u'￢'},  // NOT SIGN
    {U'\u2014', u'―'},   // EM DASH
}};
constexpr char16_t kGeta = u'〓';

bool isPlainAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 || c == u'"')
            return false;
    }
    return true;
}

QString numberField(Number value, int position, QList<JobFileSubstitution>& substitutions) {
    if (std::isfinite(value))
        return plainDecimal(value);
    substitutions.append(
        {JobFileSection::Header, position, plainDecimal(value), QStringLiteral("0")});
    return QStringLiteral("0");
}

void appendQuoted(QString& out, const QString& text) {
    out += u'"';
    out += text;
    out += u'"';
}

QString writableText(const QString& text, JobFileSection section, int index,
                     QList<JobFileSubstitution>& substitutions) {
    bool changed = false;
    QString written = writableJobFileText(text, &changed);
    if (changed)
        substitutions.append({section, index, text, written});
    return written;
}

bool writeAll(QIODevice* device, const QByteArray& bytes) {
    constexpr qsizetype kPiece = 64 * 1024;
    for (qsizetype done = 0; done < bytes.size();) {
        const qsizetype piece = std::min(kPiece, bytes.size() - done);
        const qint64 written = device->write(bytes.constData() + done, piece);
        if (written <= 0)
            return false;
        done += qsizetype(written);
    }
    return true;
}

QString remarks(const JobFileContents& contents) {
    QStringList parts;
    if (!contents.substitutions.isEmpty()) {
        QStringList lines;
        for (const JobFileSubstitution& s : contents.substitutions) {
            if (lines.size() == JobFileSaveMessages::kListedSubstitutions) {
                lines << JobFileSaveMessages::kMoreSubstitutions.arg(
                    contents.substitutions.size() - JobFileSaveMessages::kListedSubstitutions);
                break;
            }
            lines << JobFileSaveMessages::substitutionLine(s);
        }
        parts << JobFileSaveMessages::kSubstituted.arg(lines.join(u'\n'));
    }
    if (contents.pendingPrintsLeftOut > 0)
        parts << JobFileSaveMessages::kPendingLeftOut.arg(contents.pendingPrintsLeftOut);
    return parts.join(QStringLiteral("\n\n"));
}

JobFileSaveResult failure(const QString& message, const QString& error) {
    JobFileSaveResult result;
    result.message = message;
    result.error = error;
    return result;
}

// Whether a file device's buffer reached the file (other devices hold none).
bool flushed(QIODevice* device) {
    auto* file = qobject_cast<QFileDevice*>(device);
    return !file || (file->flush() && file->error() == QFileDevice::NoError);
}

// Why writing to a device failed: a file tells a full disk apart.
FileFault deviceFault(QIODevice* device) {
    const auto* file = qobject_cast<QFileDevice*>(device);
    return file && file->error() == QFileDevice::ResourceError ? FileFault::DiskFull
                                                               : FileFault::Other;
}

QString failureMessage(const FileWriteOutcome& outcome, const QString& shownPath) {
    using namespace JobFileSaveMessages;
    const QString cause = causeText(outcome.fault, outcome.systemError);
    if (outcome.step == FileStep::ConfirmReplace)
        return kNotConfirmed.arg(shownPath, cause);
    const QString backupName = QFileInfo(backupPathFor(outcome.finalPath)).fileName();
    QString step;
    switch (outcome.step) {
        case FileStep::None:
        case FileStep::Create:
            step = kCreateFailed;
            break;
        case FileStep::Write:
            step = kWriteFailed;
            break;
        case FileStep::Sync:
            step = kSyncFailed;
            break;
        case FileStep::ReadPrevious:
            step = kReadPreviousFailed.arg(backupName);
            break;
        case FileStep::Backup:
            step = kBackupFailed.arg(backupName);
            break;
        case FileStep::Replace:
        case FileStep::ConfirmReplace:
            step = kReplaceFailed;
            break;
    }
    QString message = kSaveFailed.arg(shownPath, step, cause) + kNotReplaced;
    if (outcome.step == FileStep::Backup || outcome.step == FileStep::ReadPrevious)
        message += u'\n' + kBackupUntouched;
    return message;
}

}  // namespace

QString writableJobFileText(const QString& text, bool* changed) {
    if (changed)
        *changed = false;
    if (isPlainAscii(text) || (!text.contains(u'"') && cp932Holds(text)))
        return text;

    QString written;
    written.reserve(text.size());
    bool any = false;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype start = i;
        char32_t code = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            i += 2;
        } else {
            i += 1;
        }
        const QStringView character = QStringView(text).mid(start, i - start);
        if (code != U'"' && (code < 0x80 || cp932Holds(character))) {
            written += character;
            continue;
        }
        any = true;
        char16_t substitute = kGeta;
        for (const auto& [from, to] : kLookAlikes) {
            if (from == code)
                substitute = to;
        }
        written += QChar(substitute);
    }
    if (changed)
        *changed = any;
    return written;
}

JobFileContents jobFileContents(const JobState& job) {
    JobFileContents contents;
    QList<JobFileSubstitution>& substitutions = contents.substitutions;

    // The open entry's prints are counted already; the file holds registered
    // pupils only, so they are taken out again.
    std::array<int, JobState::kMaxPhotoNumber + 1> counts;
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        counts[std::size_t(n)] = job.printCounts[std::size_t(n)];
    Number grand = job.grandTotalPrints;
    Number large = job.largeTotalPrints;
    Number medium = job.mediumTotalPrints;
    std::int64_t small = job.smallTotalPrints;
    const QVector<Number> pending =
        parseEntryTokens(job.pendingEntry, int(job.pendingEntry.size()) + 1);
    for (const Number v : pending) {
        // The engine counted int(v); a token outside 1 to 10000 (or not a
        // number at all) was never counted.
        if (!(v >= 1 && v < JobState::kMaxPhotoNumber + 1))
            continue;
        counts[std::size_t(int(v))] -= 1;
        grand -= 1;
        const SizeClass size = sizeClassOf(job, v);
        if (size.small)
            small -= 1;
        if (size.medium)
            medium -= 1;
        if (size.large)
            large -= 1;
        ++contents.pendingPrintsLeftOut;
    }

    QString out;
    out.reserve(2048 + JobState::kMaxPhotoNumber * 4 + [&] {
        qsizetype size = 0;
        for (const QString& record : job.personRecords)
            size += record.size() + 4;
        return size;
    }());

    // Header: positions 1 to 4 are texts, 5 to 21 numbers.
    const std::array<QString, JobFileFormat::kTextHeaderFields> texts = {
        job.customerName.toText(), job.eventName.toText(), job.shootingDate,
        job.photographerName.toText()};
    for (int p = 1; p <= JobFileFormat::kTextHeaderFields; ++p) {
        appendQuoted(
            out, writableText(texts[std::size_t(p - 1)], JobFileSection::Header, p, substitutions));
        out += u',';
    }
    const std::array<Number, JobFileFormat::kHeaderFields - JobFileFormat::kTextHeaderFields>
        numbers = {job.largeMode.value(),
                   job.largeStart.value(),
                   job.largeEnd.value(),
                   Number(job.mediumMode),
                   job.mediumStart.value(),
                   job.mediumEnd.value(),
                   job.smallStart.value(),
                   Number(job.smallEnd),
                   job.largeUnitPrice.value(),
                   job.mediumUnitPrice.value(),
                   Number(job.smallUnitPrice),
                   grand,
                   large,
                   medium,
                   Number(small),
                   job.personCount,
                   job.lastRecordSlot};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const int position = JobFileFormat::kTextHeaderFields + 1 + int(i);
        out += numberField(numbers[i], position, substitutions);
        out +=
            position == JobFileFormat::kHeaderFields ? QStringLiteral("\r\n") : QStringLiteral(",");
    }

    // Every count, so the loader finds the records whatever the first holds.
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
        const int count =
            std::clamp(counts[std::size_t(n)], int(std::numeric_limits<std::int16_t>::min()),
                       int(std::numeric_limits<std::int16_t>::max()));
        out += QString::number(count);
        out += QStringLiteral("\r\n");
    }

    // Every record slot; a slot that holds nothing but its own label (as a
    // load leaves the unused ones) is written empty, and loads back the same.
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        const QString& record = k < job.personRecords.size() ? job.personRecords[k] : QString();
        const QString label = QStringLiteral("(") + QString::number(k) + QStringLiteral(") ");
        if (record.isEmpty() || record == label)
            out += QStringLiteral("\"\"");
        else
            appendQuoted(out, writableText(record, JobFileSection::Record, k, substitutions));
        out += QStringLiteral("\r\n");
    }

    contents.bytes = encodeCp932(out, &contents.ok);
    return contents;
}

JobFileSaveResult writeJobFile(QIODevice* device, const JobState& job) {
    using namespace JobFileSaveMessages;
    const JobFileContents contents = jobFileContents(job);
    if (!contents.ok)
        return failure(kEncodeFailed.arg(QString()), QString());
    if (!writeAll(device, contents.bytes) || !flushed(device)) {
        const FileFault fault = deviceFault(device);
        const QString cause = fault == FileFault::Other ? kDeviceRefused : causeText(fault, 0);
        JobFileSaveResult result = failure(kDeviceFailed.arg(cause), cause);
        result.fault = fault;
        return result;
    }
    JobFileSaveResult result;
    result.saved = true;
    result.substitutions = contents.substitutions;
    result.pendingPrintsLeftOut = contents.pendingPrintsLeftOut;
    result.message = remarks(contents);
    return result;
}

JobFileSaveResult saveJobFile(const QString& path, const JobState& job) {
    const QString shownPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const JobFileContents contents = jobFileContents(job);
    if (!contents.ok)
        return failure(JobFileSaveMessages::kEncodeFailed.arg(shownPath), QString());

    const FileWriteOutcome outcome = replaceFile(path, contents.bytes, kBackupSuffix);
    if (!outcome.ok()) {
        JobFileSaveResult result =
            failure(failureMessage(outcome, shownPath),
                    JobFileSaveMessages::causeText(outcome.fault, outcome.systemError));
        result.fault = outcome.fault;
        result.systemError = outcome.systemError;
        return result;
    }

    JobFileSaveResult result;
    result.saved = true;
    result.substitutions = contents.substitutions;
    result.pendingPrintsLeftOut = contents.pendingPrintsLeftOut;
    result.backupPath = outcome.backupPath;
    result.stamp = outcome.stamp;
    result.message = remarks(contents);
    return result;
}

QString backupPathFor(const QString& path) {
    return path + kBackupSuffix;
}

namespace {

// Bytes of a name in the file system's encoding.
qsizetype nameBytes(const QString& name) {
    return QFile::encodeName(name).size();
}

// The text cut at whole characters (a surrogate pair stays whole) to at most
// maxBytes bytes, without blanks or dots left at its end.
QString cutToBytes(const QString& text, qsizetype maxBytes) {
    qsizetype end = 0;
    for (qsizetype bytes = 0; end < text.size();) {
        const qsizetype length =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate()
                ? 2
                : 1;
        bytes += nameBytes(text.mid(end, length));
        if (bytes > maxBytes)
            break;
        end += length;
    }
    QString cut = text.left(end);
    while (cut.endsWith(u'.') || (!cut.isEmpty() && cut.back().isSpace()))
        cut.chop(1);
    return cut.trimmed();
}

QString safeForFileName(const QString& part) {
    QString safe;
    for (const QChar c : part) {
        const bool unsafe = c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c);
        safe += unsafe ? QChar(u'_') : c;
    }
    return cutToBytes(safe, std::numeric_limits<qsizetype>::max());
}

}  // namespace

QString defaultJobFileName(const JobState& job, int maxNameBytes) {
    const QString extension = QStringLiteral(".ptl");
    QStringList parts;
    for (const QString& part : {job.customerName.toText(), job.eventName.toText()}) {
        const QString safe = safeForFileName(part);
        if (!safe.isEmpty())
            parts << safe;
    }
    if (parts.isEmpty())
        parts << QStringLiteral("ピクトル");

    // Each part keeps half of the room, and what the other leaves.
    const qsizetype room = maxNameBytes - nameBytes(extension) - (parts.size() - 1);
    if (room > 0 && nameBytes(parts.join(QString())) > room) {
        if (parts.size() == 1) {
            parts[0] = cutToBytes(parts[0], room);
        } else {
            const qsizetype half = room / 2;
            const qsizetype first = nameBytes(parts[0]);
            const qsizetype second = nameBytes(parts[1]);
            const qsizetype firstShare = second < half  ? room - second
                                         : first < half ? first
                                                        : room - half;
            parts[0] = cutToBytes(parts[0], firstShare);
            parts[1] = cutToBytes(parts[1], room - nameBytes(parts[0]));
            parts.removeAll(QString());
        }
    }
    if (parts.isEmpty())
        parts << QStringLiteral("ピクトル");
    return parts.join(u'_') + extension;
}
