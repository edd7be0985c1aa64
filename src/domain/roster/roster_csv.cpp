// SPDX-License-Identifier: MIT
#include "domain/roster/roster_csv.h"

#include "domain/files/cp932.h"

#include <algorithm>

#include <QHash>
#include <QStringDecoder>

#include <csv.h>

namespace RosterCsvTexts {
const QString kTooLarge = QStringLiteral(
    "名簿のファイルが大きすぎます（%1 MB）。学校の名簿は大きくても数百 KB です。"
    "ほかのファイルを選んでいないか確かめてください。");
const QString kNotText = QStringLiteral(
    "このファイルは CSV（文字の表）ではありません。Excel のファイルなら、Excel の名簿として"
    "読み込むか、CSV 形式で保存し直してください。");
const QString kBadQuotes =
    QStringLiteral("%1 行目で、引用符（\"）の閉じていない欄があり、そこから先を読めません。");
const QString kEmpty = QStringLiteral("名簿のファイルに行がありません。");
const QString kMissingColumns =
    QStringLiteral("名簿に %1 の列が見つかりません。見出しの行で、列の中身を選んでください。");
const QString kCellCount = QStringLiteral("欄が %1 個あります（見出しは %2 個）。");
const QString kNoName = QStringLiteral("氏名が空なので、名簿に入れていません。");
const QString kNoPupilKey = QStringLiteral("組と番号も ID もないので、名簿に入れていません。");
const QString kBadNumber = QStringLiteral("番号「%1」が数ではないので、名簿に入れていません。");
const QString kTwice = QStringLiteral("%1 は %2 行目にもあるので、この行は名簿に入れていません。");
const QString kIdTwice =
    QStringLiteral("ID「%1」は %2 行目にもあるので、この行は名簿に入れていません。");
}  // namespace RosterCsvTexts

namespace {

using namespace RosterCsvTexts;

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

// What libcsv hands over: the fields of each record, as bytes.
struct Records {
    QVector<QByteArrayList> rows;
    QByteArrayList row;

    static void field(void* bytes, size_t size, void* self) {
        static_cast<Records*>(self)->row.append(
            QByteArray(static_cast<const char*>(bytes), qsizetype(size)));
    }
    static void end(int, void* self) {
        auto* records = static_cast<Records*>(self);
        records->rows.append(std::move(records->row));
        records->row.clear();
    }
};

// No blank is taken off by the parser: the fields are trimmed as text.
int noBlank(unsigned char) {
    return 0;
}

bool looksBinary(const QByteArray& bytes) {
    return bytes.startsWith("PK\x03\x04") || bytes.contains('\0');
}

// Tabs when the first line has more of them than commas.
char delimiterOf(const QByteArray& bytes) {
    const QByteArray first = bytes.left(bytes.indexOf('\n'));
    return first.count('\t') > first.count(',') ? '\t' : ',';
}

QString fieldText(const QString& header) {
    const QString h = rosterKeyText(header);
    const auto any = [&h](std::initializer_list<const char16_t*> words) {
        for (const char16_t* word : words)
            if (h == QStringView(word))
                return true;
        return false;
    };
    if (any({u"学年", u"年"}))
        return QStringLiteral("grade");
    if (any({u"組", u"クラス", u"学級", u"class"}))
        return QStringLiteral("class");
    if (any({u"番号", u"出席番号", u"番", u"no", u"no."}))
        return QStringLiteral("number");
    if (any({u"氏名", u"名前", u"生徒名", u"児童名", u"name"}))
        return QStringLiteral("name");
    if (any({u"ふりがな", u"フリガナ", u"よみ", u"ヨミ", u"よみがな", u"kana"}))
        return QStringLiteral("kana");
    if (any({u"id", u"生徒番号", u"児童番号", u"学籍番号"}))
        return QStringLiteral("id");
    return {};
}

}  // namespace

RosterReadResult readRosterCsv(const QByteArray& file) {
    RosterReadResult result;
    if (file.size() > kMaxRosterFileBytes) {
        result.refusal = kTooLarge.arg(file.size() / (1024 * 1024));
        return result;
    }
    if (looksBinary(file)) {
        result.refusal = kNotText;
        return result;
    }
    const bool marked = file.startsWith(kUtf8Mark);
    const QByteArray bytes = marked ? file.mid(kUtf8Mark.size()) : file;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)QString(utf8.decode(bytes));
    const bool isUtf8 = marked || !utf8.hasError();

    RosterTable table;
    table.encoding = isUtf8 ? QStringLiteral("UTF-8") : QStringLiteral("Shift_JIS");
    const char delimiter = delimiterOf(bytes);
    table.delimiter = QChar(delimiter);

    csv_parser parser;
    csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    csv_set_space_func(&parser, noBlank);
    Records records;
    const size_t parsed = csv_parse(&parser, bytes.constData(), size_t(bytes.size()),
                                    Records::field, Records::end, &records);
    const bool whole = parsed == size_t(bytes.size()) &&
                       csv_fini(&parser, Records::field, Records::end, &records) == 0;
    csv_free(&parser);
    if (!whole) {
        result.refusal = kBadQuotes.arg(records.rows.size() + 1);
        return result;
    }

    const auto text = [isUtf8](const QByteArray& field) {
        return (isUtf8 ? QString::fromUtf8(field) : decodeCp932(field)).trimmed();
    };
    for (qsizetype i = 0; i < records.rows.size(); ++i) {
        QStringList cells;
        for (const QByteArray& field : records.rows[i])
            cells << text(field);
        const bool blank =
            std::all_of(cells.cbegin(), cells.cend(), [](const QString& c) { return c.isEmpty(); });
        if (table.headers.isEmpty() && !blank) {
            table.headers = cells;
        } else if (!blank) {
            table.rows.append(cells);
            table.rowNumbers.append(int(i + 1));
        }
    }
    if (table.headers.isEmpty()) {
        result.refusal = kEmpty;
        return result;
    }
    result.table = std::move(table);
    return result;
}

QVector<RosterField> guessRosterColumns(const QStringList& headers) {
    static const QHash<QString, RosterField> fields = {
        {QStringLiteral("grade"), RosterField::Grade},
        {QStringLiteral("class"), RosterField::Class},
        {QStringLiteral("number"), RosterField::Number},
        {QStringLiteral("name"), RosterField::Name},
        {QStringLiteral("kana"), RosterField::Kana},
        {QStringLiteral("id"), RosterField::Id},
    };
    QVector<RosterField> columns(headers.size(), RosterField::Ignored);
    for (qsizetype i = 0; i < headers.size(); ++i) {
        const RosterField field = fields.value(fieldText(headers[i]), RosterField::Ignored);
        if (field != RosterField::Ignored && !columns.contains(field))
            columns[i] = field;
    }
    return columns;
}

RosterImport importRoster(const RosterTable& table, const QVector<RosterField>& columns) {
    RosterImport result;
    const auto has = [&columns](RosterField field) { return columns.contains(field); };
    QStringList missing;
    if (!has(RosterField::Name))
        missing << QStringLiteral("氏名");
    if (!has(RosterField::Id) && !(has(RosterField::Class) && has(RosterField::Number)))
        missing << QStringLiteral("組と番号（または ID）");
    if (!missing.isEmpty()) {
        result.problems.append({1, kMissingColumns.arg(missing.join(QStringLiteral("、"))), false});
        return result;
    }

    QVector<RosterPupil> pupils;
    QHash<QString, int> lineOfPupil;  // grade, class and number
    QHash<QString, int> lineOfId;
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QStringList& cells = table.rows[r];
        const int line = table.rowNumbers.value(r, int(r + 2));
        const auto problem = [&](const QString& text, bool leftOut) {
            result.problems.append({line, text, leftOut});
        };
        if (cells.size() != table.headers.size())
            problem(kCellCount.arg(cells.size()).arg(table.headers.size()), false);
        RosterPupil pupil;
        QString numberText;
        for (qsizetype c = 0; c < columns.size() && c < cells.size(); ++c) {
            switch (columns[c]) {
                case RosterField::Grade:
                    pupil.grade = cells[c];
                    break;
                case RosterField::Class:
                    pupil.className = cells[c];
                    break;
                case RosterField::Number:
                    numberText = cells[c];
                    break;
                case RosterField::Name:
                    pupil.name = cells[c];
                    break;
                case RosterField::Kana:
                    pupil.kana = cells[c];
                    break;
                case RosterField::Id:
                    pupil.id = cells[c];
                    break;
                case RosterField::Ignored:
                    break;
            }
        }
        if (pupil.name.isEmpty()) {
            problem(kNoName, true);
            continue;
        }
        if (!numberText.isEmpty()) {
            bool ok = false;
            pupil.number = rosterKeyText(numberText).toInt(&ok);
            if (!ok || pupil.number < 1) {
                problem(kBadNumber.arg(numberText), true);
                continue;
            }
        }
        const bool classAndNumber = !pupil.className.isEmpty() && pupil.number > 0;
        if (!classAndNumber && pupil.id.isEmpty()) {
            problem(kNoPupilKey, true);
            continue;
        }
        const QString pupilKey = classAndNumber ? rosterKeyText(pupil.grade) + u'\x1f' +
                                                      rosterKeyText(pupil.className) + u'\x1f' +
                                                      QString::number(pupil.number)
                                                : QString();
        const QString idKey = rosterKeyText(pupil.id);
        if (const auto taken = lineOfPupil.constFind(pupilKey);
            classAndNumber && taken != lineOfPupil.constEnd()) {
            problem(kTwice.arg(rosterPlaceText(pupil)).arg(*taken), true);
            continue;
        }
        if (const auto taken = lineOfId.constFind(idKey);
            !idKey.isEmpty() && taken != lineOfId.constEnd()) {
            problem(kIdTwice.arg(pupil.id).arg(*taken), true);
            continue;
        }
        if (classAndNumber)
            lineOfPupil.insert(pupilKey, line);
        if (!idKey.isEmpty())
            lineOfId.insert(idKey, line);
        pupils.append(pupil);
    }
    result.roster = Roster(std::move(pupils));
    return result;
}
