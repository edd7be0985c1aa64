// SPDX-License-Identifier: MIT
#pragma once

#include "domain/reports/report_content.h"

#include <variant>

#include <QString>
#include <QVector>

// A report as a sequence of blocks that the one renderer lays out over
// pages. The document is built from the report content without any painter,
// so its texts can be checked on their own; the renderer adds the job
// header line and the page number on every page and the job header block
// with its rule on the first.

// The texts the reports print.
namespace ReportText {
inline const QString customerLabel = QStringLiteral("（得意先名）");
inline const QString eventLabel = QStringLiteral("（行事名）");
inline const QString shootingDateLabel = QStringLiteral("（撮影年月日）");
inline const QString photographerLabel = QStringLiteral("（撮影者）");
inline const QString totalAmountLabel = QStringLiteral("☆合計金額・・・");
inline const QString yen = QStringLiteral(" 円");
inline const QString prints = QStringLiteral(" 枚");
inline const QString longRule = QString(82, u'_');
inline const QString shortRule = QString(72, u'_');

// "☆全受注数（大）・・・" and its medium and small forms.
QString allOrdersLabel(PrintSize size);
// "☆やきまし注文数（大）・・・" and its medium and small forms.
QString reprintOrdersLabel(PrintSize size);
// 大, 中, 小.
QString sizeName(PrintSize size);
}  // namespace ReportText

enum class TextStyle {
    Body,     // serif
    Heading,  // bold sans; kept on the page of the block after it
    Total,    // sans, a little larger
    Note,     // small serif
};

// One line: a text at the left margin and an optional one at the right.
struct TextBlock {
    QString left;
    QString right;
    TextStyle style = TextStyle::Body;
};

// A rule made of underscores, as long as the text it is made of.
struct RuleBlock {
    QString underscores;
};

// Blank space, in body lines.
struct SpaceBlock {
    double lines = 1;
};

// Photo numbers with their print counts in compact columns, ascending
// across each row. Zero counts print grey. When the grid runs over a page
// the next page starts with its heading again, marked as continued.
struct CountGridBlock {
    QString heading;
    QVector<PhotoCount> cells;
};

// How a photo number shows its size without colour.
enum class NumberMark { Plain, Boxed, Underlined };

struct MarkedNumber {
    QString text;
    NumberMark mark = NumberMark::Plain;

    friend bool operator==(const MarkedNumber&, const MarkedNumber&) = default;
};

// One pupil of the per-pupil report: the label, the pupil's class, number
// and name beside it when the roster names them, the photo numbers in keyed
// order (wrapped over as many rows as needed), and below them a summary at
// the left and the amount at the right. Kept on one page.
struct PupilBlock {
    QString label;
    QString name;  // pupilNameText; empty for a pupil the roster does not name
    QVector<MarkedNumber> numbers;
    QString summary;
    QString amount;
};

// A key to the number marks: a sample number drawn with each mark followed
// by its caption.
struct LegendBlock {
    QString caption;
    QVector<std::pair<MarkedNumber, QString>> items;
};

using ReportBlock =
    std::variant<TextBlock, RuleBlock, SpaceBlock, CountGridBlock, PupilBlock, LegendBlock>;

struct ReportDocument {
    QString title;  // the report's name, at the top of the first page and in every page header
    ReportHeader header;
    QVector<ReportBlock> blocks;
};

// The report names, also used as the print job and preview titles.
namespace ReportTitle {
inline const QString orderCounts = QStringLiteral("受注数一覧");
inline const QString pupils = QStringLiteral("個人別注文一覧");
inline const QString reprints = QStringLiteral("やきまし数一覧");
}  // namespace ReportTitle

ReportDocument orderCountDocument(const OrderCountReport& report);
ReportDocument pupilDocument(const PupilReport& report);
ReportDocument reprintDocument(const ReprintReport& report);

// Every text of a document's blocks, one per line, in order (what a reader
// of the printed report sees apart from the page furniture).
QStringList documentTexts(const ReportDocument& document);
