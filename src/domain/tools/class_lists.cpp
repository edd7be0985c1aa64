// SPDX-License-Identifier: MIT
#include "domain/tools/class_lists.h"

#include "domain/reports/report_document.h"
#include "domain/tools/pupil_slips.h"

#include <map>

namespace ClassListTexts {
const QString kClassTotalsTitle = QStringLiteral("組別集計");
const QString kNotOrderedTitle = QStringLiteral("未注文者");
const QString kMoneyTitle = QStringLiteral("入金一覧");
const QString kUntied = QStringLiteral("名簿にない注文");
const QString kSubtotal = QStringLiteral("小計");
const QString kTotal = QStringLiteral("合計");
}  // namespace ClassListTexts

using namespace ClassListTexts;

namespace {

// The roster's classes in the school's order, and each pupil's class.
struct ClassIndex {
    QVector<RosterClass> classes;
    QVector<int> classOf;            // roster index -> class
    QVector<QVector<int>> pupilsOf;  // class -> roster indexes, in order

    explicit ClassIndex(const Roster& roster) : classOf(roster.size(), -1) {
        classes = rosterClasses(roster);
        pupilsOf.resize(classes.size());
        int current = -1;
        for (const int index : rosterInSchoolOrder(roster)) {
            if (current < 0 || !classes[current].holds(roster.pupils()[index]))
                ++current;
            classOf[index] = current;
            pupilsOf[current].append(index);
        }
    }
};

// The roster pupil a registered pupil is tied to; -1 when none.
int tiedIndex(const JobCompanion& companion, const PupilOrder& pupil) {
    const auto tie = companion.ties.find(int(pupil.personNumber));
    if (tie == companion.ties.end() || tie->second < 0 || tie->second >= companion.roster.size())
        return -1;
    return tie->second;
}

void add(ClassTotal& total, const PupilOrder& pupil) {
    total.prints[0] += pupil.largePrints;
    total.prints[1] += pupil.mediumPrints;
    total.prints[2] += pupil.smallPrints;
    total.unsizedPrints += pupil.unsizedPrints;
    total.amount += pupil.amount;
}

QString nameOf(const RosterPupil& pupil) {
    return pupil.name.trimmed();
}

}  // namespace

ClassTotals classTotals(const RegisteredOrders& orders, const JobCompanion& companion) {
    const ClassIndex index(companion.roster);
    ClassTotals totals;
    totals.sizes = orders.sizes;
    totals.untied.classText = kUntied;
    totals.total.classText = kTotal;
    for (int c = 0; c < index.classes.size(); ++c)
        totals.classes.append({index.classes[c].text(), int(index.pupilsOf[c].size())});
    QVector<bool> ordered(companion.roster.size(), false);
    for (const PupilOrder& pupil : orders.pupils) {
        const int tied = tiedIndex(companion, pupil);
        ClassTotal& row = tied < 0 ? totals.untied : totals.classes[index.classOf[tied]];
        add(row, pupil);
        add(totals.total, pupil);
        if (tied < 0)
            ++row.orderedPupils;
        else if (!ordered[tied])
            ++row.orderedPupils, ordered[tied] = true;
    }
    totals.total.rosterPupils = companion.roster.size();
    for (const ClassTotal& row : totals.classes)
        totals.total.orderedPupils += row.orderedPupils;
    totals.total.orderedPupils += totals.untied.orderedPupils;
    return totals;
}

ClassList classTotalsList(const RegisteredOrders& orders, const JobCompanion& companion) {
    const ClassTotals totals = classTotals(orders, companion);
    ClassList list;
    list.title = kClassTotalsTitle;
    list.header = orders.header;
    list.columns = {QStringLiteral("組"), QStringLiteral("名簿の人数"),
                    QStringLiteral("注文した人数")};
    for (const SizeSummary& size : totals.sizes)
        list.columns.append(ReportText::sizeName(size.size) + QStringLiteral("（枚）"));
    list.columns.append(QStringLiteral("金額（円）"));
    const auto rowOf = [&](const ClassTotal& total, bool roster) {
        ListRow row{total.classText};
        row.append(roster ? ListCell(qint64(total.rosterPupils)) : ListCell(QString()));
        row.append(qint64(total.orderedPupils));
        for (const SizeSummary& size : totals.sizes)
            row.append(qint64(total.prints[int(size.size)]));
        row.append(qint64(total.amount));
        return row;
    };
    ClassList::Group group;
    for (const ClassTotal& total : totals.classes)
        group.rows.append(rowOf(total, true));
    if (totals.untied.orderedPupils > 0)
        group.rows.append(rowOf(totals.untied, false));
    list.groups.append(group);
    list.total = rowOf(totals.total, true);
    return list;
}

ClassList notOrderedList(const RegisteredOrders& orders, const JobCompanion& companion) {
    const ClassIndex index(companion.roster);
    QVector<bool> ordered(companion.roster.size(), false);
    for (const PupilOrder& pupil : orders.pupils)
        if (const int tied = tiedIndex(companion, pupil); tied >= 0)
            ordered[tied] = true;
    ClassList list;
    list.title = kNotOrderedTitle;
    list.header = orders.header;
    list.columns = {QStringLiteral("番号"), QStringLiteral("氏名"), QStringLiteral("ふりがな")};
    qint64 all = 0;
    for (int c = 0; c < index.classes.size(); ++c) {
        ClassList::Group group{index.classes[c].text(), {}, {}};
        for (const int pupil : index.pupilsOf[c]) {
            if (ordered[pupil])
                continue;
            const RosterPupil& p = companion.roster.pupils()[pupil];
            group.rows.append({qint64(p.number), nameOf(p), p.kana.trimmed()});
        }
        if (group.rows.isEmpty())
            continue;
        group.total = {kSubtotal, QStringLiteral("%1 人").arg(group.rows.size()), QString()};
        all += group.rows.size();
        list.groups.append(group);
    }
    list.total = {kTotal, QStringLiteral("%1 人").arg(all), QString()};
    return list;
}

ClassList moneyList(const RegisteredOrders& orders, const JobCompanion& companion) {
    const ClassIndex index(companion.roster);
    // Each roster pupil's slips and amount; the untied slips as they come.
    std::map<int, std::pair<QStringList, Number>> owed;
    ClassList::Group untied{kUntied, {}, {}};
    Number untiedAmount = 0;
    for (const PupilOrder& pupil : orders.pupils) {
        const int tied = tiedIndex(companion, pupil);
        if (tied < 0) {
            untied.rows.append({QString(), QString(), QString::number(pupil.personNumber),
                                qint64(pupil.amount), QString()});
            untiedAmount += pupil.amount;
            continue;
        }
        auto& [slips, amount] = owed[tied];
        slips.append(QString::number(pupil.personNumber));
        amount += pupil.amount;
    }
    ClassList list;
    list.title = kMoneyTitle;
    list.header = orders.header;
    list.columns = {QStringLiteral("番号"), QStringLiteral("氏名"), QStringLiteral("伝票番号"),
                    QStringLiteral("金額（円）"), QStringLiteral("入金")};
    list.tickColumns = {4};
    list.pagePerGroup = true;
    Number all = 0;
    for (int c = 0; c < index.classes.size(); ++c) {
        ClassList::Group group{index.classes[c].text(), {}, {}};
        Number amount = 0;
        for (const int pupil : index.pupilsOf[c]) {
            const auto found = owed.find(pupil);
            if (found == owed.end())
                continue;
            const RosterPupil& p = companion.roster.pupils()[pupil];
            group.rows.append({qint64(p.number), nameOf(p),
                               found->second.first.join(QStringLiteral("・")),
                               qint64(found->second.second), QString()});
            amount += found->second.second;
        }
        if (group.rows.isEmpty())
            continue;
        group.total = {kSubtotal, QString(), QString(), qint64(amount), QString()};
        all += amount;
        list.groups.append(group);
    }
    if (!untied.rows.isEmpty()) {
        untied.total = {kSubtotal, QString(), QString(), qint64(untiedAmount), QString()};
        all += untiedAmount;
        list.groups.append(untied);
    }
    list.total = {kTotal, QString(), QString(), qint64(all), QString()};
    return list;
}

ExportTable listTable(const ClassList& list) {
    // A list of classes carries the class of each row in a column of its own.
    const bool grouped =
        list.groups.size() > 1 || (list.groups.size() == 1 && !list.groups[0].heading.isEmpty());
    ExportTable table{list.title, list.columns, {}, list.tickColumns};
    const auto put = [&](const QString& group, const ListRow& row) {
        if (row.isEmpty())
            return;
        ListRow line = row;
        if (grouped)
            line.prepend(group);
        table.rows.append(line);
    };
    if (grouped) {
        table.columns.prepend(QStringLiteral("組"));
        for (int& column : table.tickColumns)
            ++column;
    }
    for (const ClassList::Group& group : list.groups) {
        for (const ListRow& row : group.rows)
            put(group.heading, row);
        put(group.heading, group.total);
    }
    put(QString(), list.total);
    return table;
}
