// SPDX-License-Identifier: MIT
#pragma once

#include "domain/reports/report_content.h"
#include "domain/roster/job_companion.h"
#include "domain/tools/table_export.h"

#include <array>
#include <variant>

#include <QString>
#include <QStringList>
#include <QVector>

// The lists a studio hands the school after the keying, class by class:
// the class totals (組別集計), the pupils who have not ordered (未注文者) and
// the money list (入金一覧) the class teacher ticks as the money comes in.
// Each is a table that is printed and written as a workbook or CSV alike.

// One class's figures. The registered pupils tied to no roster pupil make
// a row of their own.
struct ClassTotal {
    QString classText;               // "6年1組"
    int rosterPupils = 0;            // pupils of the class in the roster
    int orderedPupils = 0;           // of them, those with a registered slip (untied: the slips)
    std::array<Number, 3> prints{};  // large, medium, small
    Number unsizedPrints = 0;        // numbers in no range: never charged
    Number amount = 0;
};

struct ClassTotals {
    QVector<SizeSummary> sizes;  // the sizes in use, large to small
    QVector<ClassTotal> classes;
    ClassTotal untied;  // the pupils tied to no roster pupil
    ClassTotal total;   // every registered pupil: the order-count report's totals
};

ClassTotals classTotals(const RegisteredOrders& orders, const JobCompanion& companion);

// A cell of a list: a text, or a whole number printed and written as one.
using ListCell = ExportCell;
using ListRow = QVector<ListCell>;

// A list as it is printed: groups of rows under a heading (a class), each
// with a line of totals, and the totals of the whole list.
struct ClassList {
    QString title;
    ReportHeader header;
    QStringList columns;
    QVector<int> tickColumns;   // left empty, to be ticked by hand
    bool pagePerGroup = false;  // each class on pages of its own, to hand to its teacher
    struct Group {
        QString heading;  // empty for a list of one group
        QVector<ListRow> rows;
        ListRow total;  // none when empty
    };
    QVector<Group> groups;
    ListRow total;
};

ClassList classTotalsList(const RegisteredOrders& orders, const JobCompanion& companion);
// The roster's pupils with no registered slip, class by class.
ClassList notOrderedList(const RegisteredOrders& orders, const JobCompanion& companion);
// The pupils who ordered, class by class with the amount each owes (the
// sum of their slips), then the untied slips by number.
ClassList moneyList(const RegisteredOrders& orders, const JobCompanion& companion);

// A list as one table of a spreadsheet: a class column first when it has
// groups, the group totals and the list's totals as rows of their own.
ExportTable listTable(const ClassList& list);

namespace ClassListTexts {
extern const QString kClassTotalsTitle;  // 組別集計
extern const QString kNotOrderedTitle;   // 未注文者
extern const QString kMoneyTitle;        // 入金一覧
extern const QString kUntied;            // the row of pupils tied to no roster pupil
extern const QString kSubtotal;
extern const QString kTotal;
}  // namespace ClassListTexts
