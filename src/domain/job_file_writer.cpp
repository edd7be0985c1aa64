#include "domain/job_file_writer.h"

#include "domain/cp932.h"
#include "domain/record_items.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

namespace JobFileSaveMessages {

const QString kOpenFailed = QStringLiteral(
    "データを保存できませんでした。\n%1\n"
    "ファイルを作れません。書き込みが許可されていないか、保存先のフォルダーがありません。（%2）\n"
    "保存先のファイルは書き換えられていません。");
const QString kWriteFailed = QStringLiteral(
    "データを保存できませんでした。\n%1\n"
    "書き込みの途中でエラーが起きました。ディスクの空きが足りない可能性があります。（%2）\n"
    "保存先のファイルは書き換えられていません。");
const QString kBackupFailed = QStringLiteral(
    "データを保存できませんでした。\n%1\n"
    "前のファイルの控え %2 を作れませんでした。（%3）\n"
    "保存先のファイルは書き換えられていません。");
const QString kCommitFailed = QStringLiteral(
    "データを保存できませんでした。\n%1\n"
    "書き込んだデータでファイルを置き換えられませんでした。（%2）\n"
    "保存先のファイルは書き換えられていません。");
const QString kEncodeFailed = QStringLiteral(
    "データを保存できませんでした。\n%1\n"
    "データをファイルの文字コードに変換できませんでした。\n"
    "保存先のファイルは書き換えられていません。");
const QString kDeviceFailed =
    QStringLiteral("データを書き込めませんでした。途中でエラーが起きました。（%1）");
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

// Copies the file at path over backupPath, replacing it only when the copy is whole.
bool copyToBackup(const QString& path, const QString& backupPath, QString* error) {
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = source.errorString();
        return false;
    }
    QSaveFile backup(backupPath);
    if (!backup.open(QIODevice::WriteOnly)) {
        *error = backup.errorString();
        return false;
    }
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = source.read(piece.data(), piece.size());
        if (got < 0) {
            *error = source.errorString();
            backup.cancelWriting();
            return false;
        }
        if (got == 0)
            break;
        if (!writeAll(&backup, QByteArray::fromRawData(piece.constData(), qsizetype(got)))) {
            *error = backup.errorString();
            backup.cancelWriting();
            return false;
        }
    }
    if (!backup.commit()) {
        *error = backup.errorString();
        return false;
    }
    return true;
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
    // persons only, so they are taken out again.
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
        if (v < 1 || v > JobState::kMaxPhotoNumber)
            continue;
        counts[std::size_t(v)] -= 1;
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
    const JobFileContents contents = jobFileContents(job);
    if (!contents.ok)
        return failure(JobFileSaveMessages::kEncodeFailed.arg(QString()), QString());
    if (!writeAll(device, contents.bytes)) {
        const QString error = device->errorString();
        return failure(JobFileSaveMessages::kDeviceFailed.arg(error), error);
    }
    JobFileSaveResult result;
    result.saved = true;
    result.substitutions = contents.substitutions;
    result.pendingPrintsLeftOut = contents.pendingPrintsLeftOut;
    result.message = remarks(contents);
    return result;
}

JobFileSaveResult saveJobFile(const QString& path, const JobState& job) {
    using namespace JobFileSaveMessages;
    const QString shownPath = QFileInfo(path).absoluteFilePath();
    const JobFileContents contents = jobFileContents(job);
    if (!contents.ok)
        return failure(kEncodeFailed.arg(shownPath), QString());

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(kOpenFailed.arg(shownPath, file.errorString()), file.errorString());
    if (!writeAll(&file, contents.bytes)) {
        const QString error = file.errorString();
        file.cancelWriting();
        return failure(kWriteFailed.arg(shownPath, error), error);
    }

    // Keep the file being replaced, one generation.
    QString backupPath;
    if (QFileInfo::exists(path)) {
        backupPath = backupPathFor(path);
        QString error;
        if (!copyToBackup(path, backupPath, &error)) {
            file.cancelWriting();
            return failure(kBackupFailed.arg(shownPath, QFileInfo(backupPath).fileName(), error),
                           error);
        }
    }

    if (!file.commit()) {
        const QString error = file.errorString();
        return failure(kCommitFailed.arg(shownPath, error), error);
    }

    JobFileSaveResult result;
    result.saved = true;
    result.substitutions = contents.substitutions;
    result.pendingPrintsLeftOut = contents.pendingPrintsLeftOut;
    result.backupPath = backupPath;
    result.message = remarks(contents);
    return result;
}

QString backupPathFor(const QString& path) {
    return path + QStringLiteral(".bak");
}

QString defaultJobFileName(const JobState& job) {
    QStringList parts;
    for (const QString& part : {job.customerName.toText(), job.eventName.toText()}) {
        QString safe;
        for (const QChar c : part) {
            const bool unsafe = c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c);
            safe += unsafe ? QChar(u'_') : c;
        }
        safe = safe.trimmed();
        while (safe.endsWith(u'.'))
            safe.chop(1);
        if (!safe.isEmpty())
            parts << safe.left(60);
    }
    if (parts.isEmpty())
        parts << QStringLiteral("ピクトル");
    return parts.join(u'_') + QStringLiteral(".ptl");
}
