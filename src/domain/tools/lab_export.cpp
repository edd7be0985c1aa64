// SPDX-License-Identifier: MIT
#include "domain/tools/lab_export.h"

#include "domain/files/cp932.h"
#include "domain/files/file_write_texts.h"
#include "domain/files/job_file_writer.h"
#include "domain/platform/platform.h"
#include "domain/reports/report_content.h"
#include "domain/reports/report_document.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringEncoder>

namespace {
// The export's words in the messages it shares with the job file.
const FileWriteTexts::WriteWording kWording = {
    QStringLiteral("ラボ発注データを書き出せませんでした。"),
    QStringLiteral("ラボ発注データを書き出しました"),
    QStringLiteral("書き出し"),
    QStringLiteral(" Shift_JIS で"),
};
}  // namespace

namespace LabExportTexts {
const QString kCaption = QStringLiteral("ラボ発注データの書き出し");
const QString kFilter = QStringLiteral("CSVファイル(*.csv)");
const QString kByPhotoName = QStringLiteral("写真番号別");
const QString kByPupilName = QStringLiteral("個人別");
const QString kColumnPhotoNumber = QStringLiteral("写真番号");
const QString kColumnSize = QStringLiteral("サイズ");
const QString kColumnPrints = QStringLiteral("枚数");
const QString kColumnPupil = QStringLiteral("個人番号");
const QString kColumnPupilAmount = QStringLiteral("個人の金額（円・その人の合計、各行に同じ額）");
const QString kColumnCustomer = QStringLiteral("得意先名");
const QString kColumnEvent = QStringLiteral("行事名");
const QString kColumnDate = QStringLiteral("撮影年月日");
const QString kColumnGrade = QStringLiteral("学年");
const QString kColumnClass = QStringLiteral("組");
const QString kColumnNumber = QStringLiteral("出席番号");
const QString kColumnName = QStringLiteral("氏名");
const QString kWritten =
    QStringLiteral("ラボ発注データ（%1）を書き出しました。\n%2\nデータ %3 行（見出しの行を除く）");
const QString kEncodeFailed = FileWriteTexts::encodeFailedText(kWording);
const QString kSubstituted = FileWriteTexts::substitutedText(kWording);
const QString kPendingLeftOut = FileWriteTexts::pendingLeftOutText(kWording);
}  // namespace LabExportTexts

namespace {

using namespace LabExportTexts;

QString kindName(LabExportKind kind) {
    return kind == LabExportKind::ByPhoto ? kByPhotoName : kByPupilName;
}

// The size a photo number is charged as, as the reports decide it.
QString sizeText(const JobState& job, int photoNumber) {
    const SizeClass size = sizeClassOf(job, photoNumber);
    if (size.large)
        return ReportText::sizeName(PrintSize::Large);
    if (size.medium)
        return ReportText::sizeName(PrintSize::Medium);
    if (size.small)
        return ReportText::sizeName(PrintSize::Small);
    return QString();
}

bool countable(Number n) {
    return n == std::floor(n) && n >= 1 && n <= JobState::kMaxPhotoNumber;
}

// The text as the Shift_JIS export holds it: the job file's substitutes for
// what CP932 lacks, the double quotes kept.
QString shiftJisText(const QString& text, bool* changed) {
    QStringList parts = text.split(u'"');
    bool any = false;
    for (QString& part : parts) {
        bool partChanged = false;
        part = writableJobFileText(part, &partChanged);
        any = any || partChanged;
    }
    *changed = any;
    return parts.join(u'"');
}

QString remarks(const LabExportBytes& contents, Number pendingPrints) {
    QStringList parts;
    if (!contents.substitutions.isEmpty())
        parts << kSubstituted.arg(FileWriteTexts::substitutionList(
            contents.substitutions, [](const LabExportSubstitution& s) {
                return FileWriteTexts::substitutionLine(s.column, s.original, s.written);
            }));
    if (pendingPrints > 0)
        parts << kPendingLeftOut.arg(plainDecimal(pendingPrints));
    return parts.join(QStringLiteral("\n\n"));
}

bool isPlainAscii(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The lines of the table, each field given by field(column, text).
template <class Field>
QString csvTextOf(const LabExportTable& table, Field&& field) {
    QString text;
    text.reserve((table.rows.size() + 1) * (table.columns.size() * 8 + 2));
    const auto appendLine = [&](const QStringList& fields) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                text += u',';
            text += csvField(field(i, fields[i]));
        }
        text += QStringLiteral("\r\n");
    };
    appendLine(table.columns);
    for (const QStringList& row : table.rows)
        appendLine(row);
    return text;
}

}  // namespace

LabExportTable labExportTable(const JobState& job, LabExportKind kind,
                              const JobCompanion& companion) {
    const RegisteredOrders orders = collectRegisteredOrders(job);
    const QStringList jobColumns = {spreadsheetText(orders.header.customerName),
                                    spreadsheetText(orders.header.eventName),
                                    spreadsheetText(orders.header.shootingDate)};
    LabExportTable table;
    table.pendingPrints = orders.pendingPrints;

    if (kind == LabExportKind::ByPhoto) {
        table.columns = QStringList{kColumnPhotoNumber, kColumnSize, kColumnPrints} +
                        QStringList{kColumnCustomer, kColumnEvent, kColumnDate};
        for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
            const Number prints = orders.countByPhoto[n];
            if (prints > 0)
                table.rows.append(
                    QStringList{QString::number(n), sizeText(job, n), plainDecimal(prints)} +
                    jobColumns);
        }
        return table;
    }

    table.columns = QStringList{kColumnPupil, kColumnPhotoNumber, kColumnSize, kColumnPrints,
                                kColumnPupilAmount} +
                    QStringList{kColumnCustomer, kColumnEvent, kColumnDate};
    const bool named = !companion.roster.isEmpty();
    if (named)
        table.columns += QStringList{kColumnGrade, kColumnClass, kColumnNumber, kColumnName};
    // The roster's columns of a pupil: empty for one tied to nobody.
    const auto rosterColumns = [&](int pupilNumber) {
        const auto tie = companion.ties.find(pupilNumber);
        if (tie == companion.ties.end())
            return QStringList{QString(), QString(), QString(), QString()};
        const RosterPupil& pupil = companion.roster.pupils().at(tie->second);
        return QStringList{spreadsheetText(pupil.grade), spreadsheetText(pupil.className),
                           QString::number(pupil.number), spreadsheetText(pupil.name)};
    };
    for (const PupilOrder& pupil : orders.pupils) {
        // The numbers the reports count, read again from the record to keep
        // a fraction or an out-of-range number from passing as another.
        std::map<int, int> prints;
        for (const Number n : recordPhotoNumbers(job.personRecords.value(int(pupil.personNumber))))
            if (countable(n))
                ++prints[int(n)];
        const QString pupilNumber = plainDecimal(pupil.personNumber);
        const QString amount = plainDecimal(pupil.amount);
        const QStringList names = named ? rosterColumns(int(pupil.personNumber)) : QStringList();
        for (const auto& [n, count] : prints)
            table.rows.append(QStringList{pupilNumber, QString::number(n), sizeText(job, n),
                                          QString::number(count), amount} +
                              jobColumns + names);
    }
    return table;
}

QString spreadsheetText(const QString& text) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r＝＋－＠\u2212");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return u'\'' + text;
    return text;
}

QString csvField(const QString& text) {
    const bool quoted = std::any_of(text.begin(), text.end(), [](QChar c) {
        return c == u',' || c == u'"' || c == u'\r' || c == u'\n';
    });
    if (!quoted)
        return text;
    QString field = text;
    field.replace(u'"', QStringLiteral("\"\""));
    return u'"' + field + u'"';
}

QString csvText(const LabExportTable& table) {
    return csvTextOf(table, [](qsizetype, const QString& text) { return text; });
}

LabExportBytes labExportBytes(const LabExportTable& table, LabExportEncoding encoding) {
    LabExportBytes contents;
    if (encoding == LabExportEncoding::Utf8) {
        QStringEncoder encoder(QStringConverter::Utf8);
        contents.bytes = QByteArray("\xEF\xBB\xBF") + QByteArray(encoder.encode(csvText(table)));
        contents.ok = !encoder.hasError();
        return contents;
    }

    // Each different text of a column is looked at once: the job's own
    // columns repeat on every row. Numbers and plain ASCII pass as they are.
    QVector<QHash<QString, QString>> seen(table.columns.size());
    const auto writable = [&](qsizetype column, const QString& text) {
        if (isPlainAscii(text) || column >= seen.size())
            return text;
        auto it = seen[column].constFind(text);
        if (it == seen[column].constEnd()) {
            bool changed = false;
            const QString written = shiftJisText(text, &changed);
            if (changed)
                contents.substitutions.append({table.columns[column], text, written});
            it = seen[column].insert(text, written);
        }
        return *it;
    };
    contents.bytes = encodeCp932(csvTextOf(table, writable), &contents.ok);
    return contents;
}

LabExportResult writeLabExport(const QString& path, const JobState& job, LabExportKind kind,
                               LabExportEncoding encoding, const JobCompanion& companion) {
    const QString shownPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const LabExportTable table = labExportTable(job, kind, companion);
    const LabExportBytes contents = labExportBytes(table, encoding);
    LabExportResult result;
    if (!contents.ok) {
        result.message = kEncodeFailed.arg(shownPath);
        return result;
    }
    const FileWriteOutcome outcome = replaceFile(path, contents.bytes, QString());
    if (!outcome.ok()) {
        result.fault = outcome.fault;
        result.systemError = outcome.systemError;
        result.message = FileWriteTexts::replaceFailedText(outcome, shownPath, kWording, QString());
        return result;
    }
    result.written = true;
    result.rows = int(table.rows.size());
    result.substitutions = contents.substitutions;
    result.pendingPrints = table.pendingPrints;
    result.message = kWritten.arg(kindName(kind), shownPath, QString::number(result.rows));
    const QString notes = remarks(contents, table.pendingPrints);
    if (!notes.isEmpty())
        result.message += QStringLiteral("\n\n") + notes;
    return result;
}

QString defaultLabExportFileName(const JobState& job, LabExportKind kind, int maxNameBytes) {
    // The job file's name, its ".ptl" giving way to the kind and ".csv".
    const QString jobExtension = QStringLiteral(".ptl");
    const QString tail = u'_' + kindName(kind) + QStringLiteral(".csv");
    const int room = maxNameBytes - int(QFile::encodeName(tail).size()) +
                     int(QFile::encodeName(jobExtension).size());
    QString name = defaultJobFileName(job, room);
    name.chop(jobExtension.size());
    return name + tail;
}

QString suggestedLabExportPath(const JobState& job, LabExportKind kind, const QString& folder) {
    if (folder.isEmpty())
        return defaultLabExportFileName(job, kind);
    const int longest = std::min(longestFileName(folder), 255);
    return QDir(folder).filePath(defaultLabExportFileName(job, kind, longest));
}

LabExportCommandOutcome labExportCommand(const JobState& job, Platform& platform,
                                         LabExportKind kind, LabExportEncoding encoding,
                                         const QString& suggestedPath,
                                         const JobCompanion& companion) {
    LabExportCommandOutcome outcome;
    outcome.path = platform.chooseFileToSave(kCaption, suggestedPath, {kFilter});
    if (outcome.path.isEmpty())
        return outcome;
    outcome.cancelled = false;
    outcome.result = writeLabExport(outcome.path, job, kind, encoding, companion);
    platform.showMessage(outcome.result.message);
    return outcome;
}
