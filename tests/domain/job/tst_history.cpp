// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "domain/job/history.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <memory>

#include <QtTest>

namespace {

// A record of pupil p with n prints of photo 5 (large, 800 each).
QString recordWith(int person, int prints) {
    QString entry;
    for (int i = 0; i < prints; ++i)
        entry += QStringLiteral("5 ");
    return personRecordText(person, entry, plainDecimal(prints * 800) + u' ');
}

QVector<DrawOp> opsOf(const PictureBox& box, DrawOp::Kind kind) {
    QVector<DrawOp> ops;
    for (const DrawOp& op : box.ops)
        if (op.kind == kind)
            ops << op;
    return ops;
}

const DrawOp* textOp(const PictureBox& box, const QString& text, int nth = 0) {
    for (const DrawOp& op : box.ops)
        if (op.kind == DrawOp::Kind::Text && op.text == text && nth-- == 0)
            return &op;
    return nullptr;
}

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT

    JobState job;
    FakePlatform platform;
    std::unique_ptr<OrderEntry> engine;

    void registerPersons(const QList<int>& printsPerPerson) {
        for (const int prints : printsPerPerson) {
            job.personCount += 1;
            job.lastRecordSlot += 1;
            job.personRecords[int(job.personCount)] = recordWith(int(job.personCount), prints);
        }
    }

private Q_SLOTS:
    void init() {
        job = makeJob();
        engine = std::make_unique<OrderEntry>(job, platform);
        engine->Form_Load(QStringLiteral("/x"));
    }

    void rowsPerRecord_data() {
        QTest::addColumn<int>("prints");
        QTest::addColumn<int>("rows");
        QTest::newRow("8 prints: label, 8 numbers, amount") << 8 << 1;
        QTest::newRow("9 prints: full row, then an empty row") << 9 << 2;
        QTest::newRow("10 prints: full row, then the amount alone") << 10 << 2;
        QTest::newRow("19 prints") << 19 << 3;
        QTest::newRow("100 prints") << 100 << 11;
    }
    void rowsPerRecord() {
        QFETCH(int, prints);
        QFETCH(int, rows);
        QCOMPARE(countRecordRows(recordWith(1, prints)), rows);
    }

    void countHistoryRows_topRowIsSixteenBeforeTheEnd() {
        registerPersons({1, 2, 3});
        engine->CountHistoryRows();
        QCOMPARE(job.historyRowCount, 3.0);
        QCOMPARE(job.historyTopRow, -13.0);
    }

    void fillHistoryLines_cutsRecordsIntoRows() {
        registerPersons({9, 10});
        const int last = engine->FillHistoryLines(1, std::nullopt, 50);
        QCOMPARE(last, 4);
        QCOMPARE(job.historyLines[1], QStringLiteral("(1) 5 5 5 5 5 5 5 5 5 \\.7200 "));
        QCOMPARE(job.historyLines[2], QString());  // the empty row after 9 prints
        QCOMPARE(job.historyLines[3], QStringLiteral("(2) 5 5 5 5 5 5 5 5 5 5 "));
        QCOMPARE(job.historyLines[4], QStringLiteral("\\.8000 "));

        // A window of rows: stops after the first row beyond lastRow.
        QCOMPARE(engine->FillHistoryLines(2, 3, 20), 4);
        QCOMPARE(job.historyLines[1], QString());
        QCOMPARE(job.historyLines[2], QStringLiteral("(2) 5 5 5 5 5 5 5 5 5 5 "));
        QCOMPARE(job.historyLines[3], QString());
    }

    void fillHistoryLines_seesARecordReplacedAfterwards() {
        // A correction rewrites a record; the remembered row counts must follow.
        registerPersons({3, 3, 3});
        engine->CountHistoryRows();
        QCOMPARE(job.historyRowCount, 3.0);
        job.personRecords[2] = recordWith(2, 12);
        engine->CountHistoryRows();
        QCOMPARE(job.historyRowCount, 4.0);
        engine->FillHistoryLines(1, std::nullopt, 50);
        QCOMPARE(job.historyLines[3], QStringLiteral("5 5 \\.9600 "));
        QCOMPARE(job.historyLines[4], QStringLiteral("(3) 5 5 5 \\.2400 "));
    }

    void layout_columnsColoursAndRule() {
        job.personCount = 1;
        job.personRecords[1] = QStringLiteral("(1) 5 150 400 1000 \\.1400 ");
        engine->Form_Activate();
        const PictureBox& pic = engine->display().Pic1;

        const DrawOp* label = textOp(pic, QStringLiteral("(1) "));
        QVERIFY(label);
        QCOMPARE(label->fontPoints, 8);
        QCOMPARE(QPoint(label->x, label->y), QPoint(20, 10));

        const DrawOp* large = textOp(pic, QStringLiteral("5 "));
        const DrawOp* medium = textOp(pic, QStringLiteral("150 "));
        const DrawOp* small = textOp(pic, QStringLiteral("400 "));
        const DrawOp* none = textOp(pic, QStringLiteral("1000 "));
        QVERIFY(large && medium && small && none);
        QCOMPARE(large->x, 450);  // the label takes no column
        QCOMPARE(medium->x, 1130);
        QCOMPARE(large->colour, Palette::white);
        QCOMPARE(large->fontPoints, 11);
        QCOMPARE(medium->colour, Palette::lightBlue);
        QCOMPARE(small->colour, Palette::black);
        QCOMPARE(none->colour, kPic1Background);  // in no range: invisible

        const DrawOp* amount = textOp(pic, QStringLiteral("\\.1400 "));
        QVERIFY(amount);
        QCOMPARE(amount->colour, Palette::blue);
        QCOMPARE(QPoint(amount->x, amount->y), QPoint(7180, 10));

        const QVector<DrawOp> lines = opsOf(pic, DrawOp::Kind::Line);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(
            lines[0],
            (DrawOp{
                DrawOp::Kind::Line, 0, 260, 8000, 260, Palette::cyan, {}, 0, LineStyle::Solid}));
        QCOMPARE(lines[1].style, LineStyle::Dash);
        QCOMPARE(QPoint(lines[1].x, lines[1].x2), QPoint(3700, 3700));
        QCOMPARE(lines[2].style, LineStyle::Solid);
        QCOMPARE(QPoint(lines[2].x, lines[2].y2), QPoint(7050, 8000));

        // Points are plotted in the background colour, so none can be seen.
        for (const DrawOp& point : opsOf(pic, DrawOp::Kind::Point))
            if (point.y != 10 || point.x != 20)
                QCOMPARE(point.colour, kPic1Background);
    }

    void layout_amountColumnDependsOnItsLength_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("x");
        QTest::newRow("\\.5 (4 chars)") << "\\.5 " << 7280;
        QTest::newRow("\\.500 (6 chars)") << "\\.500 " << 7280;
        QTest::newRow("\\.1500 (7 chars)") << "\\.1500 " << 7180;
        QTest::newRow("\\. (3 chars) stays in its column") << "\\. " << 450 + 680;
    }
    void layout_amountColumnDependsOnItsLength() {
        QFETCH(QString, amount);
        QFETCH(int, x);
        job.personCount = 1;
        job.personRecords[1] = QStringLiteral("(1) 5 ") + amount;
        engine->Form_Activate();
        const DrawOp* op = textOp(engine->display().Pic1, amount);
        QVERIFY(op);
        QCOMPARE(op->x, x);
    }

    void layout_loneAmountMovesUpAndLaterRowsShiftDown() {
        registerPersons({10, 1});
        engine->Form_Activate();
        const PictureBox& pic = engine->display().Pic1;
        const DrawOp* amount = textOp(pic, QStringLiteral("\\.8000 "));
        QVERIFY(amount);
        QCOMPARE(amount->y, 10 + 300 - 250);  // beside the full row above it
        const DrawOp* nextLabel = textOp(pic, QStringLiteral("(2) "));
        QVERIFY(nextLabel);
        QCOMPARE(nextLabel->y, 10 + 300 + 50);  // 50 twips lower than a plain next row
    }

    void layout_emptyRowTakesNoSpace() {
        registerPersons({9, 1});
        engine->Form_Activate();
        const DrawOp* nextLabel = textOp(engine->display().Pic1, QStringLiteral("(2) "));
        QVERIFY(nextLabel);
        QCOMPARE(nextLabel->y, 10 + 300);
    }

    void layout_labelWithoutColourKeepsTheLastColourUsed() {
        registerPersons({1, 1});
        engine->Form_Activate();
        // The first label takes the box's initial colour; the second follows
        // an amount and is blue.
        QCOMPARE(textOp(engine->display().Pic1, QStringLiteral("(1) "))->colour, Palette::black);
        QCOMPARE(textOp(engine->display().Pic1, QStringLiteral("(2) "))->colour, Palette::blue);
        engine->Form_Activate();  // the colour outlives the clear
        QCOMPARE(textOp(engine->display().Pic1, QStringLiteral("(1) "))->colour, Palette::blue);
    }

    void layout_explicitLabelColour() {
        RecordLayoutParams params = historyLayoutParams();
        params.labelColour = Palette::red;
        params.pointColour = Palette::white;
        params.moveLoneAmountUp = false;
        PictureBox box;
        const QString lines[] = {QStringLiteral("(7) 5 5 5 5 5 5 5 5 5 5 "),
                                 QStringLiteral("\\.8000 ")};
        drawRecordLines(box, lines, job, params);
        QCOMPARE(textOp(box, QStringLiteral("(7) "))->colour, Palette::red);
        QCOMPARE(textOp(box, QStringLiteral("\\.8000 "))->y, 310);  // not moved up
        QCOMPARE(box.ops.first().colour, Palette::white);           // the label's point
    }

    void paging_withNoPersons_neverRedraws() {
        engine->Form_Activate();
        const int revision = engine->display().Pic1.revision;
        engine->PageHistoryLater();
        QCOMPARE(job.historyTopRow, -15.0);
        QVERIFY(!engine->display().cbMaeEnabled);
        engine->PageHistoryEarlier();
        QVERIFY(!engine->display().cbMaeEnabled);
        QCOMPARE(engine->display().Pic1.revision, revision);
    }

    void paging_withFifteenRowsOrFewer_leavesThePicture() {
        registerPersons(QList<int>(15, 1));
        engine->Form_Activate();
        const int revision = engine->display().Pic1.revision;
        engine->PageHistoryEarlier();
        engine->PageHistoryLater();
        QCOMPARE(engine->display().Pic1.revision, revision);
        QVERIFY(!engine->display().cbMaeEnabled);
    }

    void paging_earlierStopsAtRowOne() {
        registerPersons(QList<int>(20, 1));
        engine->Form_Activate();  // top row 4
        for (int i = 0; i < 3; ++i)
            engine->PageHistoryEarlier();
        QCOMPARE(job.historyTopRow, 1.0);
        QVERIFY(!engine->display().cbMaeEnabled);
        QVERIFY(engine->display().cbAtoEnabled);
        QCOMPARE(job.historyLines[1], recordWith(1, 1));
        QCOMPARE(job.historyLines[18], recordWith(18, 1));
        QCOMPARE(job.historyLines[19], recordWith(19, 1));  // copied, not drawn
        QVERIFY(textOp(engine->display().Pic1, QStringLiteral("(18) ")));
        QVERIFY(!textOp(engine->display().Pic1, QStringLiteral("(19) ")));

        engine->PageHistoryEarlier();  // already at 1: stays
        QCOMPARE(job.historyTopRow, 1.0);

        // A value already below 1 stays where it is.
        job.historyTopRow = -3;
        engine->PageHistoryEarlier();
        QCOMPARE(job.historyTopRow, -3.0);
    }

    void paging_laterRedrawsAndEnablesEarlier() {
        registerPersons(QList<int>(20, 1));
        engine->Form_Activate();
        engine->PageHistoryEarlier();
        engine->PageHistoryEarlier();  // top 2
        engine->PageHistoryLater();    // top 3
        QVERIFY(engine->display().cbMaeEnabled);
        QCOMPARE(job.historyLines[1], recordWith(3, 1));
        QVERIFY(textOp(engine->display().Pic1, QStringLiteral("(3) ")));
        QVERIFY(!textOp(engine->display().Pic1, QStringLiteral("(2) ")));
    }

    void refresh_keepsTheLastSeventeenRows() {
        registerPersons(QList<int>(30, 1));
        engine->Form_Activate();
        QCOMPARE(job.historyTopRow, 14.0);
        QCOMPARE(job.historyLines[1], recordWith(14, 1));
        QCOMPARE(job.historyLines[17], recordWith(30, 1));
        QCOMPARE(job.historyLines[18], QString());
    }
};

QTEST_APPLESS_MAIN(TestHistory)
#include "tst_history.moc"
