// SPDX-License-Identifier: MIT
#include "domain/tools/table_export.h"

#include "domain/files/file_replacement.h"
#include "domain/files/file_write_texts.h"
#include "domain/platform/platform.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <xlsxwriter.h>

namespace {
// The table's words in the messages it shares with the job file.
const FileWriteTexts::WriteWording kWording = {
    QStringLiteral("表を書き出せませんでした。"),
    QStringLiteral("表を書き出しました"),
    QStringLiteral("書き出し"),
    QStringLiteral(" Shift_JIS で"),
};
}  // namespace

namespace TableExportTexts {
const QString kCaption = QStringLiteral("%1の書き出し");
const QString kXlsxFilter = QStringLiteral("Excel ブック(*.xlsx)");
const QString kCsvFilter = LabExportTexts::kFilter;
const QString kUntitledSheet = QStringLiteral("表");
const QString kWritten =
    QStringLiteral("「%1」を書き出しました。\n%2\nデータ %3 行（見出しの行を除く）");
const QString kEncodeFailed = FileWriteTexts::encodeFailedText(kWording);
const QString kSubstituted = FileWriteTexts::substitutedText(kWording);
const QString kWorkbookFailed = QStringLiteral("Excel ブックを組み立てられませんでした。");
const QString kNoMemory = QStringLiteral("メモリーが足りません。");
const QString kWorkTemporaryFailed = QStringLiteral(
    "作業用の一時ファイルを作れないか、読み書きできませんでした（ディスクの空きを確かめてくださ"
    "い）。");
const QString kZipFailed = QStringLiteral(
    "ブックを圧縮して書く途中でエラーが起きました（ディスクの空きが足りないことがあります）。");
const QString kCellTooLong =
    QStringLiteral("Excel の1つのセルに入る文字数（32767 文字）を超える項目があります。");
const QString kSheetTooLarge =
    QStringLiteral("Excel の1つのシートに入る行数か列数を超えています。");
const QString kWorkbookError = QStringLiteral("予期しないエラーが起きました（libxlsxwriter %1）。");
}  // namespace TableExportTexts

namespace {

using namespace TableExportTexts;

QString shownPathOf(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString titleOf(const ExportTable& table) {
    return table.title.isEmpty() ? kUntitledSheet : table.title;
}

// The cell a row gives a column: none past the row's end or in a column to
// tick.
const ExportCell* cellAt(const ExportTable& table, const QVector<ExportCell>& row, int column) {
    if (column >= row.size() || table.tickColumns.contains(column))
        return nullptr;
    return &row[column];
}

// What a failed write tells the operator.
TableExportResult failed(const FileWriteOutcome& outcome, const QString& shownPath) {
    TableExportResult result;
    result.fault = outcome.fault;
    result.systemError = outcome.systemError;
    result.message = FileWriteTexts::replaceFailedText(outcome, shownPath, kWording, QString());
    return result;
}

TableExportResult failure(FileStep step, int error, const QString& shownPath) {
    return failed(failedFileWrite(step, error), shownPath);
}

// Puts bytes at path, and says so.
TableExportResult replaceWith(const QString& path, const QByteArray& bytes,
                              const ExportTable& table) {
    const QString shownPath = shownPathOf(path);
    const FileWriteOutcome outcome = replaceFile(path, bytes, QString());
    if (!outcome.ok())
        return failed(outcome, shownPath);
    TableExportResult result;
    result.written = true;
    result.rows = int(table.rows.size());
    result.message = kWritten.arg(titleOf(table), shownPath, QString::number(result.rows));
    return result;
}

// --- CSV -----------------------------------------------------------------

TableExportResult writeCsv(const QString& path, const ExportTable& table,
                           LabExportEncoding encoding) {
    LabExportTable lines;
    for (const QString& column : table.columns)
        lines.columns << spreadsheetText(column);
    lines.rows.reserve(table.rows.size());
    for (const QVector<ExportCell>& row : table.rows) {
        QStringList fields;
        for (int column = 0; column < table.columns.size(); ++column) {
            const ExportCell* at = cellAt(table, row, column);
            if (!at)
                fields << QString();
            else if (const qint64* number = std::get_if<qint64>(at))
                fields << QString::number(*number);
            else
                fields << spreadsheetText(std::get<QString>(*at));
        }
        lines.rows.append(fields);
    }
    const LabExportBytes contents = labExportBytes(lines, encoding);
    if (!contents.ok) {
        TableExportResult result;
        result.message = kEncodeFailed.arg(shownPathOf(path));
        return result;
    }
    TableExportResult result = replaceWith(path, contents.bytes, table);
    if (result.written && !contents.substitutions.isEmpty()) {
        result.substitutions = contents.substitutions;
        result.message +=
            QStringLiteral("\n\n") +
            kSubstituted.arg(FileWriteTexts::substitutionList(
                contents.substitutions, [](const LabExportSubstitution& s) {
                    return FileWriteTexts::substitutionLine(s.column, s.original, s.written);
                }));
    }
    return result;
}

// --- The workbook ----------------------------------------------------------

// A file of this program's temporary name in a folder, held locked (the
// leftovers' clean-up of a save in the same folder passes over it) and
// removed when this goes.
class WorkbookTemporary {
public:
    WorkbookTemporary() = default;
    WorkbookTemporary(const WorkbookTemporary&) = delete;
    WorkbookTemporary& operator=(const WorkbookTemporary&) = delete;
    ~WorkbookTemporary() {
        if (path_.isEmpty())
            return;
        file_.close();
        SystemFiles::removeFile(path_);
    }

    // 0, or the error that kept it from being created.
    int create(const QString& folder) {
        static constexpr char kLetters[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QString candidate = folder + u'/' + kSaveTemporaryPrefix;
            for (int i = 0; i < 6; ++i)
                candidate += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
            const int error = file_.createNew(candidate, SystemFiles::NewFileAccess::OwnerOnly);
            if (error == 0) {
                file_.tryLock();
                path_ = candidate;
                return 0;
            }
            if (error != SystemFiles::alreadyExists())
                return error;
        }
        return SystemFiles::alreadyExists();
    }

    const QString& path() const { return path_; }

private:
    SystemFiles::OpenFile file_;
    QString path_;
};

// The whole file at path into *bytes: 0, or the error.
int readWhole(const QString& path, QByteArray* bytes) {
    SystemFiles::OpenFile file;
    if (const int error = file.openToRead(path); error != 0)
        return error;
    char buffer[64 * 1024];
    for (;;) {
        int error = 0;
        const qint64 got = file.read(buffer, sizeof buffer, &error);
        if (got < 0)
            return error;
        if (got == 0)
            return 0;
        bytes->append(buffer, got);
    }
}

// How wide a text prints, in Excel's units (a digit of the default font):
// two for a full-width character, one for the rest (half-width kana too).
int displayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += c >= 0x1100 && !(c >= 0xFF61 && c <= 0xFF9F) ? 2 : 1;
    return width;
}

// A text as the workbook holds it: Excel reads "_x0041_" in a cell as the
// character it names, and libxlsxwriter writes control characters so, so a
// text that holds such a name itself has its "_" written as "_x005F_".
QByteArray workbookText(const QString& text) {
    static const QRegularExpression kEscapeLike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QStringLiteral("_x")))
        return text.toUtf8();
    return QString(text).replace(kEscapeLike, QStringLiteral("_x005F_")).toUtf8();
}

QString causeOf(lxw_error error) {
    switch (error) {
        case LXW_ERROR_MEMORY_MALLOC_FAILED:
            return kNoMemory;
        case LXW_ERROR_CREATING_XLSX_FILE:
        case LXW_ERROR_CREATING_TMPFILE:
        case LXW_ERROR_READING_TMPFILE:
            return kWorkTemporaryFailed;
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_PARAMETER_ERROR:
        case LXW_ERROR_ZIP_BAD_ZIP_FILE:
        case LXW_ERROR_ZIP_INTERNAL_ERROR:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE:
            return kZipFailed;
        case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
            return kCellTooLong;
        case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
            return kSheetTooLarge;
        default:
            return kWorkbookError.arg(int(error));
    }
}

// The cells of the sheet, its layout and its printing.
lxw_error fillSheet(lxw_workbook* workbook, const ExportTable& table) {
    lxw_worksheet* sheet =
        workbook_add_worksheet(workbook, workbookSheetName(table.title).toUtf8().constData());
    lxw_format* heading = workbook_add_format(workbook);
    lxw_format* cell = workbook_add_format(workbook);
    if (!sheet || !heading || !cell)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    format_set_bold(heading);
    format_set_border(heading, LXW_BORDER_THIN);
    format_set_align(heading, LXW_ALIGN_CENTER);
    format_set_bg_color(heading, 0xD9D9D9);
    format_set_border(cell, LXW_BORDER_THIN);

    const int columns = int(table.columns.size());
    QVector<int> widths(columns);
    for (int column = 0; column < columns; ++column) {
        const QByteArray text = workbookText(table.columns[column]);
        if (const lxw_error error =
                worksheet_write_string(sheet, 0, lxw_col_t(column), text.constData(), heading))
            return error;
        widths[column] = displayWidth(table.columns[column]);
    }
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QVector<ExportCell>& row = table.rows[r];
        const lxw_row_t line = lxw_row_t(r + 1);
        for (int column = 0; column < columns; ++column) {
            const lxw_col_t col = lxw_col_t(column);
            const ExportCell* at = cellAt(table, row, column);
            const qint64* number = at ? std::get_if<qint64>(at) : nullptr;
            const QString* text = at ? std::get_if<QString>(at) : nullptr;
            lxw_error error = LXW_NO_ERROR;
            if (number) {
                error = worksheet_write_number(sheet, line, col, double(*number), cell);
                widths[column] = std::max(widths[column], int(QString::number(*number).size()));
            } else if (text && !text->isEmpty()) {
                error =
                    worksheet_write_string(sheet, line, col, workbookText(*text).constData(), cell);
                widths[column] = std::max(widths[column], displayWidth(*text));
            } else {
                error = worksheet_write_blank(sheet, line, col, cell);
            }
            if (error)
                return error;
        }
    }
    for (int column = 0; column < columns; ++column) {
        // Room beside the text; a box to tick takes a pen's mark.
        const int least = table.tickColumns.contains(column) ? 8 : 4;
        const double width = std::clamp(widths[column] + 2, least, 60);
        if (const lxw_error error =
                worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr))
            return error;
    }

    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_set_paper(sheet, 9);  // A4
    worksheet_set_portrait(sheet);
    worksheet_fit_to_pages(sheet, 1, 0);
    worksheet_set_footer(sheet, "&C&P / &N");
    return columns > 0 ? worksheet_repeat_rows(sheet, 0, 0) : LXW_NO_ERROR;
}

// The workbook of the table written to the file fileName (in the system's
// encoding of file names); libxlsxwriter's first error, or none.
lxw_error writeWorkbook(const QByteArray& fileName, const ExportTable& table) {
    lxw_workbook* workbook = workbook_new(fileName.constData());
    if (!workbook)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    const lxw_error filled = fillSheet(workbook, table);
    // Closing frees the workbook, whatever came before.
    const lxw_error closed = workbook_close(workbook);
    return filled ? filled : closed;
}

TableExportResult writeXlsx(const QString& path, const ExportTable& table) {
    const QString shownPath = shownPathOf(path);
    WorkbookTemporary temporary;
    if (const int error = temporary.create(QFileInfo(path).absolutePath()); error != 0)
        return failure(FileStep::Create, error, shownPath);
    if (const lxw_error error = writeWorkbook(QFile::encodeName(temporary.path()), table)) {
        TableExportResult result;
        result.fault = FileFault::Other;
        result.message =
            FileWriteTexts::failedText(kWording).arg(shownPath, kWorkbookFailed, causeOf(error)) +
            FileWriteTexts::kNotReplaced;
        return result;
    }
    QByteArray bytes;
    if (const int error = readWhole(temporary.path(), &bytes); error != 0)
        return failure(FileStep::Write, error, shownPath);
    return replaceWith(path, bytes, table);
}

}  // namespace

TableFileFormat tableFileFormat(const QString& path) {
    return QFileInfo(path).suffix().compare(u"xlsx", Qt::CaseInsensitive) == 0
               ? TableFileFormat::Xlsx
               : TableFileFormat::Csv;
}

QString workbookSheetName(const QString& title) {
    static const QString kForbidden = QStringLiteral("[]:*?/\\");
    static const QString kLookAlikes = QStringLiteral("［］：＊？／＼");
    QString name;
    for (const QChar c : title) {
        if (const qsizetype at = kForbidden.indexOf(c); at >= 0)
            name += kLookAlikes[at];
        else
            name += c.category() == QChar::Other_Control ? QChar(u' ') : c;
    }
    constexpr qsizetype kLongest = 31;
    if (name.size() > kLongest)
        name.truncate(name[kLongest - 1].isHighSurrogate() ? kLongest - 1 : kLongest);
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    return name.trimmed().isEmpty() ? kUntitledSheet : name;
}

TableExportResult writeTable(const QString& path, const ExportTable& table, TableFileFormat format,
                             LabExportEncoding encoding) {
    return format == TableFileFormat::Xlsx ? writeXlsx(path, table)
                                           : writeCsv(path, table, encoding);
}

TableExportCommandOutcome tableExportCommand(Platform& platform, const ExportTable& table,
                                             const QString& suggestedPath,
                                             LabExportEncoding encoding) {
    QStringList filters = {kXlsxFilter, kCsvFilter};
    if (tableFileFormat(suggestedPath) == TableFileFormat::Csv)
        std::reverse(filters.begin(), filters.end());
    TableExportCommandOutcome outcome;
    outcome.path = platform.chooseFileToSave(kCaption.arg(titleOf(table)), suggestedPath, filters);
    if (outcome.path.isEmpty())
        return outcome;
    outcome.cancelled = false;
    outcome.result = writeTable(outcome.path, table, tableFileFormat(outcome.path), encoding);
    platform.showMessage(outcome.result.message);
    return outcome;
}
