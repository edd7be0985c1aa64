// SPDX-License-Identifier: MIT
#include "domain/roster/roster_xlsx.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>

#include <QDir>
#include <QHash>
#include <QVector>
#include <QXmlStreamReader>

#include <zip.h>

namespace RosterXlsxTexts {
const QString kNotWorkbook = QStringLiteral(
    "このファイルは Excel のブック（.xlsx）ではありません。名前は .xlsx でも、中身が違います。"
    "Excel で開けるか確かめて、「Excel ブック（*.xlsx）」として保存し直してください。");
const QString kOldExcel = QStringLiteral(
    "このファイルは古い形式の Excel のファイル（.xls）です。Excel で開き、"
    "「Excel ブック（*.xlsx）」として保存し直してから読み込んでください。");
const QString kProtected = QStringLiteral(
    "この Excel のファイルはパスワードで保護されているので、読めません。Excel で開いて"
    "パスワードを外し、保存し直してから読み込んでください。");
const QString kDamaged = QStringLiteral(
    "この Excel のファイルは壊れているので、読めません（途中で切れているなど）。"
    "Excel で開けるか確かめて、保存し直してください。");
const QString kUnpackedTooLarge = QStringLiteral(
    "この Excel のファイルは、中身を展開すると %1 MB を超えるので、読みません。"
    "学校の名簿ではないか、壊れたファイルです。");
const QString kNoSheets = QStringLiteral("この Excel のファイルにはシートがありません。");
const QString kNoSheet = QStringLiteral("この Excel のファイルにはシート「%1」がありません。");
const QString kEmptySheet = QStringLiteral("シート「%1」に行がありません。");
const QString kTooWide = QStringLiteral(
    "シート「%1」は %2 列目まであり、名簿として読むには広すぎます（%3 列まで）。"
    "名簿のシートを選んでいるか確かめてください。");
const QString kTooManyCells = QStringLiteral(
    "シート「%1」は、名簿として読むには大きすぎます。名簿のシートを選んでいるか確かめてください。");
}  // namespace RosterXlsxTexts

namespace {

using namespace RosterXlsxTexts;

// Excel's own limits of a reference.
constexpr int kExcelColumns = 16384;
constexpr int kExcelRows = 1048576;

const QByteArray kZipMark("PK\x03\x04", 4);
const QByteArray kEmptyZipMark("PK\x05\x06", 4);
const QByteArray kOleMark("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// A stream's name as an OLE compound file's directory holds it: UTF-16LE.
QByteArray oleName(const char* name) {
    QByteArray bytes;
    for (; *name; ++name)
        bytes.append(*name).append('\0');
    return bytes;
}

// Why an OLE compound file is no workbook to read: Excel puts a workbook
// protected by a password into one (its package encrypted as a stream);
// Excel 97 to 2003 kept their workbooks in one.
QString oleRefusal(const QByteArray& file) {
    if (file.contains(oleName("EncryptedPackage")))
        return kProtected;
    if (file.contains(oleName("Workbook")) || file.contains(oleName("Book")))
        return kOldExcel;
    return kNotWorkbook;
}

bool isElement(const QXmlStreamReader& xml, QStringView name) {
    return xml.tokenType() == QXmlStreamReader::StartElement && xml.name() == name;
}

// Text as the format escapes what XML cannot hold: _x000D_ is a carriage
// return, _x005F_ an underscore.
QString unescaped(const QString& text) {
    if (!text.contains(QStringLiteral("_x")))
        return text;
    const auto hex = [](QChar c) {
        return std::isxdigit(static_cast<unsigned char>(c.toLatin1()));
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_' &&
            hex(text[i + 2]) && hex(text[i + 3]) && hex(text[i + 4]) && hex(text[i + 5])) {
            out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 7;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// At the start of a shared string (<si>) or an inline one (<is>): its text,
// the runs of rich text joined, the readings (<rPh>) left out. Leaves the
// reader at its end.
QString richText(QXmlStreamReader& xml) {
    QString text;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (xml.name() == u"t")
                    text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                else if (xml.name() == u"rPh" || xml.name() == u"phoneticPr")
                    xml.skipCurrentElement();
                else
                    ++depth;
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                break;
            default:
                break;
        }
    }
    return unescaped(text);
}

// A number as Excel shows it in a General cell: an integer without its
// point, anything else to the 15 digits Excel keeps.
QString numberText(const QString& value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return value;
    if (number == std::trunc(number) && std::abs(number) < 1e15)
        return QString::number(static_cast<qint64>(number));
    return QString::number(number, 'g', 15);
}

// "C5" as column 2 and row 5 (both from 0 and 1); either part may be missing.
struct CellReference {
    int column = -1;
    int row = 0;
};

CellReference cellReference(QStringView text) {
    CellReference reference;
    qsizetype i = 0;
    int column = 0;
    for (; i < text.size() && i < 3 && text[i].isLetter() && text[i].unicode() < 128; ++i)
        column = column * 26 + (text[i].toUpper().unicode() - u'A' + 1);
    if (i > 0 && column <= kExcelColumns)
        reference.column = column - 1;
    bool ok = false;
    const int row = text.mid(i).toInt(&ok);
    if (ok && row >= 1 && row <= kExcelRows)
        reference.row = row;
    return reference;
}

// A part's name from a relationship's target: absolute from the package's
// root, or relative to the folder of the part that names it.
QString partName(const QString& folder, const QString& target) {
    QString name = QString::fromUtf8(QByteArray::fromPercentEncoding(target.toUtf8()));
    name.replace(u'\\', u'/');
    name = name.startsWith(u'/') ? name.mid(1) : folder + name;
    return QDir::cleanPath(name);
}

QString folderOf(const QString& part) {
    return part.left(part.lastIndexOf(u'/') + 1);
}

QString relationshipsOf(const QString& part) {
    return folderOf(part) + QStringLiteral("_rels/") + part.mid(part.lastIndexOf(u'/') + 1) +
           QStringLiteral(".rels");
}

struct Relationship {
    QString type;  // its last word: "officeDocument", "worksheet", "sharedStrings"
    QString part;
};

struct Sheet {
    QString name;
    QString relationship;
};

// A workbook opened from the file's bytes, its parts unpacked on demand and
// never beyond what the file may unpack to altogether.
class Workbook {
public:
    explicit Workbook(const QByteArray& file);
    ~Workbook() {
        if (zip_)
            zip_discard(zip_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    QString refusal;
    QVector<Sheet> sheets;

    std::optional<RosterTable> table(int sheet);

private:
    std::optional<QByteArray> part(const QString& name);
    std::optional<QHash<QString, Relationship>> relationships(const QString& part);
    bool readSheets();
    std::optional<QStringList> sharedStrings();
    bool fail(const QString& why) {
        if (refusal.isEmpty())
            refusal = why;
        return false;
    }

    zip_t* zip_ = nullptr;
    qint64 unpackable_ = kMaxWorkbookUnpackedBytes;
    QString workbookPart_;
    QHash<QString, Relationship> workbookRelationships_;
};

Workbook::Workbook(const QByteArray& file) {
    if (file.size() > kMaxRosterFileBytes) {
        fail(RosterCsvTexts::kTooLarge.arg(file.size() / (1024 * 1024)));
        return;
    }
    if (file.startsWith(kOleMark)) {
        fail(oleRefusal(file));
        return;
    }
    if (!file.startsWith(kZipMark) && !file.startsWith(kEmptyZipMark)) {
        fail(kNotWorkbook);
        return;
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(file.constData(), zip_uint64_t(file.size()), 0, &error);
    if (source)
        zip_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (source && !zip_)
        zip_source_free(source);
    zip_error_fini(&error);
    if (!zip_) {
        fail(kDamaged);
        return;
    }
    readSheets();
}

std::optional<QByteArray> Workbook::part(const QString& name) {
    const zip_int64_t index = zip_name_locate(zip_, name.toUtf8().constData(), ZIP_FL_NOCASE);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (index < 0 || zip_stat_index(zip_, zip_uint64_t(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE)) {
        fail(kDamaged);
        return std::nullopt;
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        fail(kProtected);
        return std::nullopt;
    }
    const QString tooLarge = kUnpackedTooLarge.arg(kMaxWorkbookUnpackedBytes / (1024 * 1024));
    if (stat.size > zip_uint64_t(unpackable_)) {
        fail(tooLarge);
        return std::nullopt;
    }
    zip_file_t* entry = zip_fopen_index(zip_, zip_uint64_t(index), 0);
    if (!entry) {
        fail(kDamaged);
        return std::nullopt;
    }
    // One byte past what it declares tells a part that unpacks to more: read
    // no further, whatever it holds.
    QByteArray bytes(qsizetype(stat.size) + 1, Qt::Uninitialized);
    qsizetype read = 0;
    bool failed = false;
    while (read < bytes.size()) {
        const zip_int64_t n =
            zip_fread(entry, bytes.data() + read, zip_uint64_t(bytes.size() - read));
        if (n < 0)
            failed = true;
        if (n <= 0)
            break;
        read += qsizetype(n);
    }
    zip_fclose(entry);
    if (read > qsizetype(stat.size)) {
        fail(tooLarge);
        return std::nullopt;
    }
    if (failed) {
        fail(kDamaged);
        return std::nullopt;
    }
    unpackable_ -= read;
    bytes.truncate(read);
    return bytes;
}

std::optional<QHash<QString, Relationship>> Workbook::relationships(const QString& of) {
    const QString name = relationshipsOf(of);
    if (zip_name_locate(zip_, name.toUtf8().constData(), ZIP_FL_NOCASE) < 0)
        return QHash<QString, Relationship>();
    const std::optional<QByteArray> bytes = part(name);
    if (!bytes)
        return std::nullopt;
    QHash<QString, Relationship> found;
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::DTD) {
        if (!isElement(xml, u"Relationship"))
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.value(QLatin1StringView("TargetMode")) == u"External")
            continue;
        const QStringView type = attributes.value(QLatin1StringView("Type"));
        found.insert(
            attributes.value(QLatin1StringView("Id")).toString(),
            {type.mid(type.lastIndexOf(u'/') + 1).toString(),
             partName(folderOf(of), attributes.value(QLatin1StringView("Target")).toString())});
    }
    if (xml.hasError() || xml.tokenType() == QXmlStreamReader::DTD) {
        fail(kDamaged);
        return std::nullopt;
    }
    return found;
}

bool Workbook::readSheets() {
    const auto package = relationships(QString());
    if (!package)
        return false;
    for (const Relationship& relationship : *package)
        if (relationship.type == u"officeDocument")
            workbookPart_ = relationship.part;
    if (workbookPart_.isEmpty())
        workbookPart_ = QStringLiteral("xl/workbook.xml");
    // A zip, but no workbook in it: a Word file, any other archive.
    if (zip_name_locate(zip_, workbookPart_.toUtf8().constData(), ZIP_FL_NOCASE) < 0)
        return fail(kNotWorkbook);
    const std::optional<QByteArray> bytes = part(workbookPart_);
    const auto workbook = relationships(workbookPart_);
    if (!bytes || !workbook)
        return false;
    workbookRelationships_ = *workbook;
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::DTD) {
        if (!isElement(xml, u"sheet"))
            continue;
        Sheet sheet{xml.attributes().value(QLatin1StringView("name")).toString(), {}};
        for (const QXmlStreamAttribute& attribute : xml.attributes())
            if (attribute.name() == u"id" && attribute.namespaceUri().endsWith(u"relationships"))
                sheet.relationship = attribute.value().toString();
        sheets.append(sheet);
    }
    if (xml.hasError() || xml.tokenType() == QXmlStreamReader::DTD)
        return fail(kDamaged);
    if (sheets.isEmpty())
        return fail(kNoSheets);
    return true;
}

std::optional<QStringList> Workbook::sharedStrings() {
    QString name;
    for (const Relationship& relationship : std::as_const(workbookRelationships_))
        if (relationship.type == u"sharedStrings")
            name = relationship.part;
    if (name.isEmpty())
        return QStringList();
    const std::optional<QByteArray> bytes = part(name);
    if (!bytes)
        return std::nullopt;
    QStringList strings;
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::DTD)
        if (isElement(xml, u"si"))
            strings.append(richText(xml));
    if (xml.hasError() || xml.tokenType() == QXmlStreamReader::DTD) {
        fail(kDamaged);
        return std::nullopt;
    }
    return strings;
}

// The cells of a sheet by row, each row's cells from column A; only rows
// and cells that hold something are kept.
class SheetCells {
public:
    explicit SheetCells(const QString& sheet) : sheet_(sheet) {}

    QString refusal;
    std::map<int, QStringList> rows;

    bool set(int row, int column, const QString& text) {
        if (text.isEmpty())
            return true;
        if (column >= kMaxRosterColumns)
            return fail(kTooWide.arg(sheet_).arg(column + 1).arg(kMaxRosterColumns));
        QStringList& cells = rows[row];
        if (column >= cells.size()) {
            if (!count(column + 1 - cells.size()))
                return false;
            cells.resize(column + 1);
        }
        cells[column] = text;
        return true;
    }

    // A merged range shows its first cell's value in all its cells.
    bool merge(CellReference first, CellReference last) {
        const auto found = rows.find(first.row);
        if (found == rows.end() || first.column < 0 || first.column >= found->second.size())
            return true;
        const QString text = found->second[first.column];
        const int lastColumn = std::min(last.column, kMaxRosterColumns - 1);
        for (auto row = rows.lower_bound(first.row); row != rows.end() && row->first <= last.row;
             ++row)
            for (int column = first.column; column <= lastColumn; ++column) {
                if (!count(1))
                    return false;
                if (column >= row->second.size() || row->second[column].isEmpty())
                    set(row->first, column, text);
            }
        return true;
    }

    bool fail(const QString& why) {
        if (refusal.isEmpty())
            refusal = why;
        return false;
    }

private:
    // What a sheet may cost: the cells kept, and those a merge visits.
    bool count(qint64 cells) {
        cells_ += cells;
        return cells_ <= kMaxRosterCells || fail(kTooManyCells.arg(sheet_));
    }

    QString sheet_;
    qint64 cells_ = 0;
};

// At the start of a <c>: its text as Excel shows it in a General cell.
std::optional<QString> cellText(QXmlStreamReader& xml, const QStringList& shared) {
    const QString type = xml.attributes().value(QLatin1StringView("t")).toString();
    QString value;
    std::optional<QString> inlineText;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"v")
            value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (xml.name() == u"is")
            inlineText = richText(xml);
        else
            xml.skipCurrentElement();
    }
    if (inlineText)
        return *inlineText;
    if (type == u"s") {
        bool ok = false;
        const int index = value.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= shared.size())
            return std::nullopt;
        return shared[index];
    }
    if (type == u"b")
        return value == u"1"   ? QStringLiteral("TRUE")
               : value == u"0" ? QStringLiteral("FALSE")
                               : value;
    if (type == u"str" || type == u"e" || type == u"d" || type == u"inlineStr")
        return unescaped(value);
    return value.isEmpty() ? value : numberText(value);
}

std::optional<RosterTable> Workbook::table(int index) {
    if (!refusal.isEmpty())
        return std::nullopt;
    const Sheet& sheet = sheets[index];
    const auto relationship = workbookRelationships_.constFind(sheet.relationship);
    if (relationship == workbookRelationships_.constEnd()) {
        fail(kDamaged);
        return std::nullopt;
    }
    const std::optional<QStringList> shared = sharedStrings();
    const std::optional<QByteArray> bytes = shared ? part(relationship->part) : std::nullopt;
    if (!bytes)
        return std::nullopt;

    SheetCells cells(sheet.name);
    QXmlStreamReader xml(*bytes);
    int row = 0;
    int column = -1;
    while (cells.refusal.isEmpty() && !xml.atEnd() && xml.readNext() != QXmlStreamReader::DTD) {
        if (isElement(xml, u"row")) {
            const CellReference given =
                cellReference(xml.attributes().value(QLatin1StringView("r")));
            row = given.row > 0 ? given.row : std::min(row + 1, kExcelRows);
            column = -1;
        } else if (isElement(xml, u"c")) {
            const CellReference given =
                cellReference(xml.attributes().value(QLatin1StringView("r")));
            column = given.column >= 0 ? given.column : std::min(column + 1, kExcelColumns - 1);
            const int cellRow = given.row > 0 ? given.row : std::max(row, 1);
            const std::optional<QString> text = cellText(xml, *shared);
            if (!text) {
                fail(kDamaged);
                return std::nullopt;
            }
            cells.set(cellRow, column, text->trimmed());
        } else if (isElement(xml, u"mergeCell")) {
            const QStringList range =
                xml.attributes().value(QLatin1StringView("ref")).toString().split(u':');
            if (range.size() != 2)
                continue;
            CellReference first = cellReference(range[0]);
            CellReference last = cellReference(range[1]);
            if (first.column < 0 || last.column < 0 || first.row < 1 || last.row < 1)
                continue;
            if (first.row > last.row)
                std::swap(first.row, last.row);
            if (first.column > last.column)
                std::swap(first.column, last.column);
            cells.merge(first, last);
        }
    }
    if (!cells.refusal.isEmpty()) {
        fail(cells.refusal);
        return std::nullopt;
    }
    if (xml.hasError() || xml.tokenType() == QXmlStreamReader::DTD) {
        fail(kDamaged);
        return std::nullopt;
    }

    RosterTable table;
    table.encoding = QStringLiteral("Excel");
    for (auto& [number, rowCells] : cells.rows) {
        while (!rowCells.isEmpty() && rowCells.last().isEmpty())
            rowCells.removeLast();
        if (rowCells.isEmpty())
            continue;
        if (table.headers.isEmpty()) {
            table.headers = rowCells;
        } else {
            table.rows.append(rowCells);
            table.rowNumbers.append(number);
        }
    }
    if (table.headers.isEmpty()) {
        fail(kEmptySheet.arg(sheet.name));
        return std::nullopt;
    }
    // Each row as wide as the headers: Excel keeps no empty cell at a row's end.
    for (QStringList& rowCells : table.rows)
        if (rowCells.size() < table.headers.size())
            rowCells.resize(table.headers.size());
    return table;
}

RosterReadResult readSheet(Workbook& workbook, int index, const QString& named) {
    RosterReadResult result;
    if (workbook.refusal.isEmpty() && (index < 0 || index >= workbook.sheets.size()))
        workbook.refusal = kNoSheet.arg(named);
    if (workbook.refusal.isEmpty())
        result.table = workbook.table(index);
    result.refusal = workbook.refusal;
    return result;
}

}  // namespace

bool isRosterWorkbook(const QString& fileName, const QByteArray& file) {
    return file.startsWith(kZipMark) || file.startsWith(kEmptyZipMark) ||
           file.startsWith(kOleMark) ||
           fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ||
           fileName.endsWith(QStringLiteral(".xlsm"), Qt::CaseInsensitive);
}

RosterSheets rosterXlsxSheets(const QByteArray& file) {
    RosterSheets result;
    const Workbook workbook(file);
    result.refusal = workbook.refusal;
    if (result.refusal.isEmpty())
        for (const Sheet& sheet : workbook.sheets)
            result.names << sheet.name;
    return result;
}

RosterReadResult readRosterXlsx(const QByteArray& file, int sheet) {
    Workbook workbook(file);
    return readSheet(workbook, sheet, QString::number(sheet + 1));
}

RosterReadResult readRosterXlsx(const QByteArray& file, const QString& sheetName) {
    Workbook workbook(file);
    const auto named = std::find_if(workbook.sheets.cbegin(), workbook.sheets.cend(),
                                    [&sheetName](const Sheet& s) { return s.name == sheetName; });
    return readSheet(workbook, int(named - workbook.sheets.cbegin()), sheetName);
}
