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

namespace {

const QString kBackupSuffix = QStringLiteral(".bak");

// The job file's words in the messages it shares with the lab export.
const FileWriteTexts::WriteWording kSaving = {
    QStringLiteral("データを保存できませんでした。"),
    QStringLiteral("データを保存しました"),
    QStringLiteral("保存し"),
    QStringLiteral("データファイルに"),
};

}  // namespace

namespace JobFileSaveMessages {

const QString kEncodeFailed = FileWriteTexts::encodeFailedText(kSaving);
const QString kDeviceFailed = QStringLiteral("データを書き込めませんでした。%1");
const QString kDeviceRefused = QStringLiteral("書き込み先がデータを最後まで受け付けませんでした。");
const QString kSubstituted = FileWriteTexts::substitutedText(kSaving);
const QString kPendingLeftOut = FileWriteTexts::pendingLeftOutText(kSaving);

QString substitutionLine(const JobFileSubstitution& substitution) {
    const QString place = substitution.section == JobFileSection::Header
                              ? jobFileHeaderFieldName(substitution.index)
                              : jobFileFieldPlace(substitution.section, substitution.index);
    return FileWriteTexts::substitutionLine(place, substitution.original, substitution.written);
}

}  // namespace JobFileSaveMessages

namespace {

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
    if (!contents.substitutions.isEmpty())
        parts << JobFileSaveMessages::kSubstituted.arg(FileWriteTexts::substitutionList(
            contents.substitutions, JobFileSaveMessages::substitutionLine));
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

namespace {

// The counts and totals of the registered pupils: the job's, less the
// prints of the open entry, which the engine counted already.
struct RegisteredCounts {
    std::array<int, JobState::kMaxPhotoNumber + 1> counts;
    Number grand = 0;
    Number large = 0;
    Number medium = 0;
    std::int64_t small = 0;
    int pendingPrints = 0;  // the open entry's prints taken out

    // The total of a size; HeaderSize::None: of every size.
    Number total(JobFileFormat::HeaderSize size) const {
        switch (size) {
            case JobFileFormat::HeaderSize::None:
                return grand;
            case JobFileFormat::HeaderSize::Large:
                return large;
            case JobFileFormat::HeaderSize::Medium:
                return medium;
            case JobFileFormat::HeaderSize::Small:
                return Number(small);
        }
        return 0;
    }
};

RegisteredCounts registeredCounts(const JobState& job) {
    RegisteredCounts registered;
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        registered.counts[std::size_t(n)] = job.printCounts[std::size_t(n)];
    registered.grand = job.grandTotalPrints;
    registered.large = job.largeTotalPrints;
    registered.medium = job.mediumTotalPrints;
    registered.small = job.smallTotalPrints;
    const QVector<Number> pending =
        parseEntryTokens(job.pendingEntry, int(job.pendingEntry.size()) + 1);
    for (const Number v : pending) {
        // The engine counted int(v); a token outside 1 to 10000 (or not a
        // number at all) was never counted.
        if (!(v >= 1 && v < JobState::kMaxPhotoNumber + 1))
            continue;
        registered.counts[std::size_t(int(v))] -= 1;
        registered.grand -= 1;
        const SizeClass size = sizeClassOf(job, v);
        if (size.small)
            registered.small -= 1;
        if (size.medium)
            registered.medium -= 1;
        if (size.large)
            registered.large -= 1;
        ++registered.pendingPrints;
    }
    return registered;
}

// The header line, field by field as the header table has them: the texts
// quoted, the numbers in plain decimal, the totals those of the registered
// pupils.
void appendHeader(QString& out, const JobState& job, const RegisteredCounts& registered,
                  QList<JobFileSubstitution>& substitutions) {
    using JobFileFormat::HeaderKind;
    for (int p = 1; p <= JobFileFormat::kHeaderFields; ++p) {
        const JobFileFormat::HeaderField& field = JobFileFormat::headerField(p);
        if (field.kind == HeaderKind::Text) {
            appendQuoted(out, writableText(JobFileFormat::headerText(job, field),
                                           JobFileSection::Header, p, substitutions));
        } else {
            const Number value = field.kind == HeaderKind::Total
                                     ? registered.total(field.size)
                                     : JobFileFormat::headerNumber(job, field);
            out += numberField(value, p, substitutions);
        }
        out += p == JobFileFormat::kHeaderFields ? QStringLiteral("\r\n") : QStringLiteral(",");
    }
}

// Every count, so the loader finds the records whatever the first holds.
void appendCounts(QString& out, const RegisteredCounts& registered) {
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
        const int count = std::clamp(registered.counts[std::size_t(n)],
                                     int(std::numeric_limits<std::int16_t>::min()),
                                     int(std::numeric_limits<std::int16_t>::max()));
        out += QString::number(count);
        out += QStringLiteral("\r\n");
    }
}

// Every record slot; a slot that holds nothing but its own label (as a
// load leaves the unused ones) is written empty, and loads back the same.
void appendRecords(QString& out, const JobState& job, QList<JobFileSubstitution>& substitutions) {
    for (int k = 1; k <= JobState::kMaxPersons; ++k) {
        const QString& record = k < job.personRecords.size() ? job.personRecords[k] : QString();
        const QString label = QStringLiteral("(") + QString::number(k) + QStringLiteral(") ");
        if (record.isEmpty() || record == label)
            out += QStringLiteral("\"\"");
        else
            appendQuoted(out, writableText(record, JobFileSection::Record, k, substitutions));
        out += QStringLiteral("\r\n");
    }
}

// Room for the whole file, so that the text grows without copying.
qsizetype expectedLength(const JobState& job) {
    qsizetype size = 2048 + JobState::kMaxPhotoNumber * 4;
    for (const QString& record : job.personRecords)
        size += record.size() + 4;
    return size;
}

}  // namespace

JobFileContents jobFileContents(const JobState& job) {
    const RegisteredCounts registered = registeredCounts(job);
    JobFileContents contents;
    contents.pendingPrintsLeftOut = registered.pendingPrints;
    QString out;
    out.reserve(expectedLength(job));
    appendHeader(out, job, registered, contents.substitutions);
    appendCounts(out, registered);
    appendRecords(out, job, contents.substitutions);
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

JobFileSaveResult saveJobFile(const QString& path, const JobState& job,
                              const QByteArray& unchangedDigest) {
    const QString shownPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const JobFileContents contents = jobFileContents(job);
    if (!contents.ok)
        return failure(JobFileSaveMessages::kEncodeFailed.arg(shownPath), QString());

    const FileWriteOutcome outcome =
        replaceFile(path, contents.bytes, kBackupSuffix, unchangedDigest);
    if (!outcome.ok()) {
        JobFileSaveResult result =
            failure(FileWriteTexts::replaceFailedText(outcome, shownPath, kSaving, kBackupSuffix),
                    JobFileSaveMessages::causeText(outcome.fault, outcome.systemError));
        result.fault = outcome.fault;
        result.systemError = outcome.systemError;
        result.changedElsewhere = outcome.step == FileStep::TargetChanged;
        return result;
    }

    JobFileSaveResult result;
    result.saved = true;
    result.substitutions = contents.substitutions;
    result.pendingPrintsLeftOut = contents.pendingPrintsLeftOut;
    result.backupPath = outcome.backupPath;
    result.fileDigest = contentDigest(contents.bytes);
    result.message = remarks(contents);
    return result;
}

QString backupPathFor(const QString& path) {
    return path + kBackupSuffix;
}

namespace {

// Bytes of a name in UTF-8, Linux's file-name encoding. Windows counts
// UTF-16 units, never more than UTF-8 bytes, so a name that fits here fits
// there too, and both systems propose the same name.
qsizetype nameBytes(const QString& name) {
    return name.toUtf8().size();
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
