// SPDX-License-Identifier: MIT
// What the roster's paper says: order and envelope slips in the school's
// order, the class totals against the order-count report, who has not
// ordered, the money list, and how slips fill a sheet.

#include "domain/roster/slip_tie.h"
#include "domain/tools/barcode.h"
#include "domain/tools/class_lists.h"
#include "domain/tools/pupil_slips.h"
#include "support/job_builder.h"

#include <QtTest>

using Ties = QList<QPair<int, int>>;  // slip -> roster pupil

namespace {

// Four roster pupils out of the school's order, four registered slips: two
// for 山田, one for 鈴木, one tied to nobody.
JobCompanion schoolCompanion() {
    JobCompanion companion;
    companion.roster = Roster({{"6", "2", 1, "田中 一郎", "たなか", ""},
                               {"6", "1", 2, "山田 花子", "やまだ", ""},
                               {"6", "1", 1, "佐藤 次郎", "さとう", ""},
                               {"5", "1", 1, "鈴木 三郎", "すずき", ""}});
    companion.ties = {{1, 1}, {2, 3}, {4, 1}};
    return companion;
}

JobState keyedJob() {
    JobState job = makeJob();
    const QStringList records{"(1) 5 5 150 \\.2100 ", "(2) 400 \\.100 ", "(3) 7 \\.800 ",
                              "(4) 8 \\.800 "};
    for (int i = 0; i < records.size(); ++i)
        job.personRecords[i + 1] = records[i];
    job.personCount = job.lastRecordSlot = int(records.size());
    return job;
}

QStringList texts(const ListRow& row) {
    QStringList out;
    for (const ListCell& cell : row)
        out.append(std::holds_alternative<qint64>(cell) ? QString::number(std::get<qint64>(cell))
                                                        : std::get<QString>(cell));
    return out;
}

}  // namespace

class TestClassLists : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void classTotals_perClassAndAsTheOrderCountReport_data() {
        QTest::addColumn<Ties>("ties");
        QTest::newRow("none tied") << Ties{};
        QTest::newRow("as the school") << Ties{{1, 1}, {2, 3}, {4, 1}};
        QTest::newRow("every slip") << Ties{{1, 0}, {2, 1}, {3, 2}, {4, 3}};
        QTest::newRow("a tie past the roster") << Ties{{1, 9}, {3, 0}};
    }
    void classTotals_perClassAndAsTheOrderCountReport() {
        QFETCH(Ties, ties);
        JobCompanion companion = schoolCompanion();
        companion.ties.clear();
        for (const auto& [slip, pupil] : ties)
            companion.ties[slip] = pupil;
        const JobState job = keyedJob();
        const RegisteredOrders orders = collectRegisteredOrders(job);
        const ClassTotals totals = classTotals(orders, companion);
        const OrderCountReport report = buildOrderCountReport(job);

        QCOMPARE(totals.total.amount, report.totalAmount);
        for (const SizeSection& section : report.sections)
            QCOMPARE(totals.total.prints[int(section.summary.size)], section.summary.prints);
        Number amount = totals.untied.amount;
        int ordered = totals.untied.orderedPupils;
        for (const ClassTotal& row : totals.classes)
            amount += row.amount, ordered += row.orderedPupils;
        QCOMPARE(amount, report.totalAmount);
        QCOMPARE(ordered, totals.total.orderedPupils);
        QCOMPARE(totals.total.rosterPupils, 4);
    }

    void lists_classByClassInTheSchoolsOrder() {
        const JobCompanion companion = schoolCompanion();
        const RegisteredOrders orders = collectRegisteredOrders(keyedJob());

        const ClassList totals = classTotalsList(orders, companion);
        QCOMPARE(totals.groups.size(), 1);
        QCOMPARE(texts(totals.groups[0].rows[0]),
                 (QStringList{"5年1組", "1", "1", "0", "0", "1", "100"}));
        // 山田's two slips: one pupil who ordered.
        QCOMPARE(texts(totals.groups[0].rows[1]),
                 (QStringList{"6年1組", "2", "1", "3", "1", "0", "2900"}));
        QCOMPARE(texts(totals.groups[0].rows[3]),
                 (QStringList{"名簿にない注文", "", "1", "1", "0", "0", "800"}));
        QCOMPARE(texts(totals.total), (QStringList{"合計", "4", "3", "4", "1", "1", "3800"}));

        const ClassList missing = notOrderedList(orders, companion);
        QCOMPARE(missing.groups.size(), 2);
        QCOMPARE(missing.groups[0].heading, QStringLiteral("6年1組"));
        QCOMPARE(texts(missing.groups[0].rows[0]), (QStringList{"1", "佐藤 次郎", "さとう"}));
        QCOMPARE(missing.groups[1].heading, QStringLiteral("6年2組"));
        QCOMPARE(texts(missing.total), (QStringList{"合計", "2 人", ""}));

        const ExportTable money = listTable(moneyList(orders, companion));
        QCOMPARE(money.columns,
                 (QStringList{"組", "番号", "氏名", "伝票番号", "金額（円）", "入金"}));
        QCOMPARE(money.tickColumns, QVector<int>{5});
        QStringList rows;
        for (const ListRow& row : money.rows)
            rows.append(texts(row).join(u'|'));
        QCOMPARE(rows, (QStringList{"5年1組|1|鈴木 三郎|2|100|", "5年1組|小計|||100|",
                                    "6年1組|2|山田 花子|1・4|2900|", "6年1組|小計|||2900|",
                                    "名簿にない注文|||3|800|", "名簿にない注文|小計|||800|",
                                    "|合計|||3800|"}));
    }

    void slips_inTheSchoolsOrder() {
        const JobCompanion companion = schoolCompanion();
        const JobState job = keyedJob();

        const OrderSlips order = orderSlips(job, companion.roster);
        QCOMPARE(order.sizes.size(), 3);
        QStringList codes;
        for (const OrderSlip& slip : order.slips)
            codes.append(slip.place + u' ' + slip.name);
        QCOMPARE(codes, (QStringList{"5年1組 1番 鈴木 三郎", "6年1組 1番 佐藤 次郎",
                                     "6年1組 2番 山田 花子", "6年2組 1番 田中 一郎"}));
        QCOMPARE(order.slips[0].code, slipCodeOf(companion.roster, 3));
        QCOMPARE(orderSlips(job, companion.roster, RosterClass{"６", "２"}).slips.size(), 1);

        const RegisteredOrders orders = collectRegisteredOrders(job);
        const EnvelopeSlips all = envelopeSlips(orders, companion);
        QStringList slips;
        for (const EnvelopeSlip& slip : all.slips)
            slips.append(QString::number(slip.pupilNumber));
        QCOMPARE(slips.join(u','), QStringLiteral("2,1,4,3"));
        const EnvelopeSlip& first = all.slips[1];
        QCOMPARE(first.sizes.size(), 2);
        QCOMPARE(first.sizes[0].sizeName, QStringLiteral("大"));
        QCOMPARE(first.sizes[0].photos, (QVector<PhotoCount>{{5, 2}}));
        QCOMPARE(first.sizes[0].amount, 1600);
        QCOMPARE(first.amount, 2100);
        QVERIFY(all.slips[3].place.isEmpty());
        QCOMPARE(envelopeSlips(orders, companion, RosterClass{"6", "1"}).slips.size(), 2);
    }

    void sheets_countPagesFromTheFirstPlace_data() {
        QTest::addColumn<int>("sheet");  // of envelopeSlipSheets()
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("firstPlace");
        QTest::addColumn<int>("pages");
        QTest::newRow("A4 in four") << 3 << 9 << 2 << 3;  // a cut sheet starts at its top
        QTest::newRow("labels, fresh sheet") << 5 << 12 << 0 << 1;
        QTest::newRow("labels, half used") << 5 << 12 << 6 << 2;
        QTest::newRow("none") << 5 << 0 << 6 << 0;
    }
    void sheets_countPagesFromTheFirstPlace() {
        QFETCH(int, sheet);
        QFETCH(int, count);
        QFETCH(int, firstPlace);
        QFETCH(int, pages);
        const SlipSheet paper = envelopeSlipSheets().at(sheet);
        QCOMPARE(paper.pageCount(count, firstPlace), pages);
        // Every place lies on the paper.
        const QPointF last = paper.placeOf(paper.perPage() - 1);
        QVERIFY(last.x() + paper.slip.width() <= paper.paper.width() + 0.01);
        QVERIFY(last.y() + paper.slip.height() <= paper.paper.height() + 0.01);
    }

    void barcode_onlyForWhatCode128Carries() {
        const std::optional<Code128Symbol> symbol = code128Symbol(QStringLiteral("P001742"));
        QVERIFY(symbol);
        QVERIFY(!symbol->bars.isEmpty());
        QCOMPARE(symbol->bars.last().start + symbol->bars.last().width, symbol->modules);
        QVERIFY(!code128Symbol(QString()));
        QVERIFY(!code128Symbol(QStringLiteral("P００１")));
        QVERIFY(!code128Symbol(QString(81, u'1')));
    }
};

QTEST_GUILESS_MAIN(TestClassLists)
#include "tst_class_lists.moc"
