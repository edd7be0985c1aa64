// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "domain/entry/record_correction.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <memory>

#include <QtTest>

// The correction without its window: lookup, the record pictures, adding and
// deleting one print, and the refusals.
class TestRecordCorrection : public QObject {
    Q_OBJECT

    // Large 1-100 at 800, medium 101-300 at 500, small 301-999 at 100.
    std::unique_ptr<JobState> job;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<RecordCorrection> correction;

    void setUpJob(const JobRanges& ranges = {}) {
        job = std::make_unique<JobState>(makeJob(ranges));
        platform = std::make_unique<FakePlatform>();
        correction = std::make_unique<RecordCorrection>(*job, *platform);
    }

    // Registers pupils through the input screen's engine, leaving an open
    // entry behind, as a run would.
    void registerPersons(const QList<QList<int>>& persons, const QList<int>& openEntry = {}) {
        OrderEntry engine(*job, *platform);
        engine.Form_Load(QStringLiteral("/x"));
        for (const QList<int>& person : persons)
            keyPerson(engine, person);
        for (const int n : openEntry)
            typeKeys(engine, QString::number(n) + u'\r');
        platform->clear();
    }

    void show(int person) { correction->setText1(QString::number(person)); }

    // Where the correction moved the focus: -1 nowhere, else the box.
    int takeFocus() {
        const std::optional<CorrectionFocus> focus = correction->takeFocusRequest();
        return focus ? int(*focus) : -1;
    }
    static constexpr int kText1 = int(CorrectionFocus::Text1);
    static constexpr int kText2 = int(CorrectionFocus::Text2);

    static bool hasText(const PictureBox& box, const QString& text) {
        for (const DrawOp& op : box.ops)
            if (op.kind == DrawOp::Kind::Text && op.text == text)
                return true;
        return false;
    }

private Q_SLOTS:
    void init() { setUpJob(); }

    // ---- Record text helpers ----

    void personNumber_onlyRegisteredPersons_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("person");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("first") << "1" << 1;
        QTest::newRow("last") << "10" << 10;
        QTest::newRow("above personCount") << "11" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("fraction") << "2.5" << 0;
        QTest::newRow("full-width") << "１０" << 10;
        QTest::newRow("16-bit limit") << "32767" << 0;
        QTest::newRow("beyond 16 bits") << "32778" << 0;
        QTest::newRow("beyond 16 bits, wrapping to a person") << "65537" << 0;
        QTest::newRow("beyond any number") << QString(400, u'9') << 0;
        QTest::newRow("text") << "abc" << 0;
        QTest::newRow("leading number") << "7abc" << 0;
    }
    void personNumber_onlyRegisteredPersons() {
        QFETCH(QString, text);
        QFETCH(int, person);
        job->personCount = 10;
        QCOMPARE(personNumberOf(text, *job), person);
    }

    void rebuildRecordAmount_pricesItemsBySize_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("rebuilt");
        QTest::newRow("one of each") << "(1) 5 150 400 "
                                     << "(1) 5 150 400 \\.1400 ";
        QTest::newRow("label only") << "(3) "
                                    << "(3) \\.0 ";
        QTest::newRow("as typed with zeros") << "(2) 012 0400 "
                                             << "(2) 012 0400 \\.900 ";
        QTest::newRow("outside every range") << "(2) 1000 5 "
                                             << "(2) 1000 5 \\.800 ";
        QTest::newRow("beyond 16 bits") << "(2) 70000 5 "
                                        << "(2) 70000 5 \\.800 ";
        QTest::newRow("twice the same") << "(4) 150 150 "
                                        << "(4) 150 150 \\.1000 ";
    }
    void rebuildRecordAmount_pricesItemsBySize() {
        QFETCH(QString, record);
        QFETCH(QString, rebuilt);
        QCOMPARE(RebuildRecordAmount(record, *job), rebuilt);
    }

    void rebuildRecordAmount_switchedOffSizeCountsTheLabelForNothing() {
        setUpJob({0, 0, 0, 101, 300, 500, 301, 999, 100});
        QCOMPARE(RebuildRecordAmount(QStringLiteral("(7) 150 400 "), *job),
                 QStringLiteral("(7) 150 400 \\.600 "));
    }

    void plainDigitsAndPhotoCount() {
        QVERIFY(isPlainDigits(QStringLiteral("0123")));
        for (const char* text : {"", " 12", "1 2", "+1", "12)", "1\\", "1.5", "１２", "1\""})
            QVERIFY2(!isPlainDigits(QString::fromUtf8(text)), text);
        QCOMPARE(photoNumbersIn(QStringLiteral("(12) 105 105 230 \\.1500 ")), 3);
        QCOMPARE(photoNumbersIn(QStringLiteral("(12) ")), 0);
    }

    // ---- Lookup and pictures ----

    void lookUp_showsOnlyRegisteredPersons() {
        registerPersons({{5}, {6}, {7}, {8}, {9}, {10}, {11}, {12}, {13}, {14}});
        correction->setText1(QStringLiteral("1"));
        QVERIFY(!correction->display().Label12Visible);
        QVERIFY(hasText(correction->display().Pic1, QStringLiteral("(1) ")));
        correction->setText1(QStringLiteral("12"));
        QVERIFY(correction->display().Label12Visible);
        QCOMPARE(correction->display().Text1, QString());
        QVERIFY(correction->display().Pic1.ops.isEmpty());

        // Deleting the last character empties the box: no pupil.
        correction->setText1(QStringLiteral("3"));
        QVERIFY(!correction->display().Label12Visible);
        correction->setText1(QString());
        QVERIFY(correction->display().Label12Visible);
        QVERIFY(correction->display().Pic1.ops.isEmpty());
    }

    void lookUp_emptiesNumberBoxAndHidesMessages() {
        registerPersons({{5}, {6}});
        show(1);
        correction->setText2(QStringLiteral("77"));
        QCOMPARE(correction->Command4_Click(), EditOutcome::NotFound);
        QVERIFY(correction->display().Label7Visible);
        QVERIFY(!correction->display().Pic2.ops.isEmpty());
        show(2);
        QCOMPARE(correction->display().Text2, QString());
        QVERIFY(!correction->display().Label7Visible);
        QVERIFY(correction->display().Pic2.ops.isEmpty());
    }

    void pictures_useTheirOwnColoursAndExtents() {
        registerPersons({{5, 150, 400}});
        correction->setButtonShadowColour({160, 160, 160});
        show(1);
        const PictureBox& pic1 = correction->display().Pic1;
        const auto findOp = [](const PictureBox& box, DrawOp::Kind kind, auto predicate) {
            for (const DrawOp& op : box.ops)
                if (op.kind == kind && predicate(op))
                    return op;
            return DrawOp{};
        };
        const auto isLabel = [](const DrawOp& op) { return op.text == u"(1) "; };
        const auto isAmount = [](const DrawOp& op) { return op.text.startsWith(u'\\'); };
        const auto isGuide = [](const DrawOp& op) { return op.x == 7050 && op.x2 == 7050; };
        const auto isRule = [](const DrawOp& op) { return op.y == op.y2; };
        QCOMPARE(findOp(pic1, DrawOp::Kind::Text, isLabel).colour, Palette::blue);
        QCOMPARE(findOp(pic1, DrawOp::Kind::Text, isLabel).fontPoints, 8);
        QCOMPARE(findOp(pic1, DrawOp::Kind::Text, isAmount).text, QStringLiteral("\\.1400 "));
        QCOMPARE(findOp(pic1, DrawOp::Kind::Point, [](const DrawOp&) { return true; }).colour,
                 (Rgb{160, 160, 160}));
        const DrawOp rule = findOp(pic1, DrawOp::Kind::Line, isRule);
        QCOMPARE(rule.colour, Palette::red);
        QCOMPARE(rule.x2, 8300);
        QCOMPARE(rule.y, 260);  // one row, 250 below the amount
        const DrawOp guide = findOp(pic1, DrawOp::Kind::Line, isGuide);
        QCOMPARE(guide.colour, Palette::red);
        QCOMPARE(guide.y2, 4400);

        // On activation the points take the dark cyan.
        correction->Form_Activate();
        QCOMPARE(findOp(correction->display().Pic1, DrawOp::Kind::Point,
                        [](const DrawOp&) { return true; })
                     .colour,
                 RecordCorrection::kActivatePointColour);

        correction->setText2(QStringLiteral("5"));
        QCOMPARE(correction->Command2_Click(), EditOutcome::Done);
        const PictureBox& pic2 = correction->display().Pic2;
        QCOMPARE(findOp(pic2, DrawOp::Kind::Line, isGuide).colour, Palette::cyan);
        QCOMPARE(findOp(pic2, DrawOp::Kind::Line, isRule).colour, Palette::red);
        QCOMPARE(findOp(pic2, DrawOp::Kind::Point, [](const DrawOp&) { return true; }).colour,
                 RecordCorrection::kCorrectedPointColour);
        QCOMPARE(findOp(pic2, DrawOp::Kind::Text, isAmount).text, QStringLiteral("\\.2200 "));
    }

    void focus_afterEnterAndActivation() {
        registerPersons({{5}});
        correction->Text1_KeyPress(RecordCorrection::kKeyEnter);
        QCOMPARE(takeFocus(), -1);  // empty box: stays
        show(1);
        correction->Text1_KeyPress('1');
        QCOMPARE(takeFocus(), -1);
        correction->Text1_KeyPress(RecordCorrection::kKeyEnter);
        QCOMPARE(takeFocus(), kText2);
        QCOMPARE(takeFocus(), -1);  // asked once

        correction->setText1(QString());
        correction->Form_Activate();
        QCOMPARE(takeFocus(), kText1);
        correction->Form_Activate(true);  // back from the range alert
        QCOMPARE(takeFocus(), kText2);

        // With a pupil shown, the activation redraws it and empties Text2.
        show(1);
        correction->setText2(QStringLiteral("44"));
        correction->Form_Activate();
        QCOMPARE(correction->display().Text2, QString());
        QCOMPARE(takeFocus(), kText2);
    }

    // ---- Edits ----

    void add_appendsAsLastNumberAndKeepsCountsInStep() {
        registerPersons({{1}, {12, 230}}, {105, 7});
        const QString openEntry = job->pendingEntry;
        const QString openAmount = job->pendingAmountText;
        show(2);
        correction->setText2(QStringLiteral("105"));
        QCOMPARE(correction->Command2_Click(), EditOutcome::Done);
        QCOMPARE(job->personRecords[2], QStringLiteral("(2) 12 230 105 \\.1800 "));
        QCOMPARE(job->correctedRecord, job->personRecords[2]);
        QCOMPARE(job->printCounts[105], 2);
        QCOMPARE(job->mediumTotalPrints, 3.0);
        QCOMPARE(job->largeTotalPrints, 3.0);
        QCOMPARE(job->grandTotalPrints, 6.0);
        QCOMPARE(job->pendingEntry, openEntry);
        QCOMPARE(job->pendingAmountText, openAmount);

        // The same button again repeats the edit on the updated record.
        QCOMPARE(correction->Command2_Click(), EditOutcome::Done);
        QCOMPARE(job->personRecords[2], QStringLiteral("(2) 12 230 105 105 \\.2300 "));
        QCOMPARE(job->printCounts[105], 3);
    }

    void delete_removesTheFirstPrintOnly() {
        registerPersons({{150, 5, 150}});
        show(1);
        correction->setText2(QStringLiteral("150"));
        QCOMPARE(correction->Command4_Click(), EditOutcome::Done);
        QCOMPARE(job->personRecords[1], QStringLiteral("(1) 5 150 \\.1300 "));
        QCOMPARE(job->printCounts[150], 1);
        QCOMPARE(job->mediumTotalPrints, 1.0);
        QCOMPARE(job->grandTotalPrints, 2.0);

        correction->setText2(QStringLiteral("5"));
        QCOMPARE(correction->Command4_Click(), EditOutcome::Done);
        correction->setText2(QStringLiteral("150"));
        QCOMPARE(correction->Command4_Click(), EditOutcome::Done);
        QCOMPARE(job->personRecords[1], QStringLiteral("(1) \\.0 "));
        QCOMPARE(job->grandTotalPrints, 0.0);
        QCOMPARE(job->largeTotalPrints, 0.0);

        // Nothing left to delete.
        QCOMPARE(correction->Command4_Click(), EditOutcome::NotFound);
        QCOMPARE(job->printCounts[150], 0);
    }

    void numberStoredAsTyped_isFoundOnlyAsTyped() {
        registerPersons({{5}});
        show(1);
        correction->setText2(QStringLiteral("012"));
        QCOMPARE(correction->Command2_Click(), EditOutcome::Done);
        QCOMPARE(job->personRecords[1], QStringLiteral("(1) 5 012 \\.1600 "));
        QCOMPARE(job->printCounts[12], 1);
        correction->setText2(QStringLiteral("12"));
        QCOMPARE(correction->Command4_Click(), EditOutcome::NotFound);
        QVERIFY(correction->display().Label7Visible);
        QCOMPARE(job->printCounts[12], 1);
        // The unchanged record stands in the lower picture.
        QVERIFY(hasText(correction->display().Pic2, QStringLiteral("012 ")));
        correction->setText2(QStringLiteral("012"));
        QVERIFY(!correction->display().Label7Visible);
        QCOMPARE(correction->Command4_Click(), EditOutcome::Done);
        QCOMPARE(job->printCounts[12], 0);
        QCOMPARE(job->personRecords[1], QStringLiteral("(1) 5 \\.800 "));
    }

    void photoNumber_inAnyFormOfAWholeNumber_isTakenAsRead() {
        setUpJob({1, 100, 800, 101, 300, 500, 301, 9999, 100});
        registerPersons({{12}});
        show(1);
        for (const QString& typed : {QStringLiteral("1,200"), QStringLiteral("１，２００")}) {
            correction->setText2(typed);
            QCOMPARE(correction->Command2_Click(), EditOutcome::Done);
        }
        QCOMPARE(correction->display().Text2, QStringLiteral("1200"));
        QCOMPARE(job->personRecords[1], QStringLiteral("(1) 12 1200 1200 \\.1000 "));
        // Only a whole number names a pupil: "1abc" is nobody.
        correction->setText1(QStringLiteral("1abc"));
        QVERIFY(correction->display().Label12Visible);
    }

    void refusals_changeNothing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("largeOff");
        QTest::addColumn<int>("outcome");
        const int bad = int(EditOutcome::BadNumber);
        const int outside = int(EditOutcome::OutOfRange);
        QTest::newRow("blank inside, in range") << "1 2" << false << bad;
        QTest::newRow("comma not grouping") << "1,2" << false << bad;
        QTest::newRow("bracket after") << "12)" << false << bad;
        QTest::newRow("backslash after") << "12\\" << false << bad;
        QTest::newRow("double quote after") << "12\"" << false << bad;
        QTest::newRow("fraction") << "12.5" << false << bad;
        QTest::newRow("letter after") << "12a" << false << bad;
        QTest::newRow("empty") << "" << false << outside;
        QTest::newRow("bracket alone") << ")" << false << outside;
        QTest::newRow("backslash alone") << "\\" << false << outside;
        QTest::newRow("plus alone") << "+" << false << outside;
        QTest::newRow("zero") << "0" << false << outside;
        QTest::newRow("negative") << "-12" << false << outside;
        QTest::newRow("above every range") << "5000" << false << outside;
        // Full-width digits read as half-width ones, a full-width blank as a blank.
        QTest::newRow("full-width blank inside") << "１\u3000２" << false << bad;
        QTest::newRow("long-vowel mark, not a minus") << "ー１２" << false << outside;
        QTest::newRow("blank inside, outside") << "50 00" << false << outside;
        QTest::newRow("zero, large off") << "0" << true << bad;
        QTest::newRow("bracket alone, large off") << ")" << true << bad;
        QTest::newRow("empty, large off") << "" << true << bad;
    }
    void refusals_changeNothing() {
        QFETCH(QString, typed);
        QFETCH(bool, largeOff);
        QFETCH(int, outcome);
        if (largeOff)
            setUpJob({0, 0, 0, 101, 300, 500, 301, 999, 100});
        registerPersons({{12, 150}}, {400});
        show(1);
        const JobState before = *job;
        correction->setText2(typed);
        for (const bool add : {true, false}) {
            const EditOutcome result =
                add ? correction->Command2_Click() : correction->Command4_Click();
            QCOMPARE(int(result), outcome);
            QCOMPARE(job->personRecords, before.personRecords);
            QVERIFY(job->printCounts == before.printCounts);
            QCOMPARE(job->grandTotalPrints, before.grandTotalPrints);
            QCOMPARE(job->pendingEntry, before.pendingEntry);
            if (result == EditOutcome::BadNumber) {
                QVERIFY(correction->display().Label8Visible);
                QVERIFY(correction->display().Pic2.ops.isEmpty());
                QCOMPARE(takeFocus(), kText2);
            } else {
                QVERIFY(!correction->display().frmTeiseiEnabled);
                QVERIFY(!correction->display().Label8Visible);
                correction->alertClosed();
                QVERIFY(correction->display().frmTeiseiEnabled);
            }
        }
        QVERIFY(platform->messages.isEmpty());
    }

    void noPersonShown_deleteFindsNothingAndAddShowsNoData() {
        registerPersons({{12}});
        correction->setText2(QStringLiteral("12"));
        QCOMPARE(correction->Command4_Click(), EditOutcome::NotFound);
        QVERIFY(correction->display().Label7Visible);
        QCOMPARE(correction->Command2_Click(), EditOutcome::NoRecord);
        QVERIFY(correction->display().Label12Visible);
        QCOMPARE(takeFocus(), kText1);
        QCOMPARE(job->personRecords[1], QStringLiteral("(1) 12 \\.800 "));
        QCOMPARE(job->printCounts[12], 1);
        QCOMPARE(job->grandTotalPrints, 1.0);
    }

    void recordWithoutAmount_isLeftAlone() {
        registerPersons({{12}});
        job->personRecords[1] = QStringLiteral("(1) 12 ");
        show(1);
        correction->setText2(QStringLiteral("12"));
        QCOMPARE(correction->Command2_Click(), EditOutcome::NoRecord);
        QCOMPARE(correction->Command4_Click(), EditOutcome::NoRecord);
        QVERIFY(correction->display().Label12Visible);
        QCOMPARE(job->personRecords[1], QStringLiteral("(1) 12 "));
        QCOMPARE(job->printCounts[12], 1);
    }

    void add_refusedPastOneHundredPrints() {
        registerPersons({QList<int>(99, 400)});
        show(1);
        correction->setText2(QStringLiteral("5"));
        QCOMPARE(correction->Command2_Click(), EditOutcome::Done);  // the 100th
        QCOMPARE(photoNumbersIn(job->personRecords[1]), 100);
        const QString full = job->personRecords[1];
        QCOMPARE(correction->Command2_Click(), EditOutcome::RecordFull);
        QCOMPARE(platform->messages, QStringList({RecordCorrection::kRecordFullMessage}));
        QCOMPARE(job->personRecords[1], full);
        QCOMPARE(job->printCounts[5], 1);
        QCOMPARE(job->grandTotalPrints, 100.0);
        // A delete is still possible, and then the add again.
        QCOMPARE(correction->Command4_Click(), EditOutcome::Done);
        QCOMPARE(correction->Command2_Click(), EditOutcome::Done);
    }

    void add_refusedPastTheCountLimit() {
        registerPersons({{5}});
        job->printCounts[5] = 32767;
        job->largeTotalPrints = job->grandTotalPrints = 32767;
        show(1);
        correction->setText2(QStringLiteral("005"));
        QCOMPARE(correction->Command2_Click(), EditOutcome::CountLimit);
        QCOMPARE(platform->messages,
                 QStringList({RecordCorrection::kPhotoCountLimitMessage.arg(5)}));
        QCOMPARE(job->printCounts[5], 32767);
        QCOMPARE(job->personRecords[1], QStringLiteral("(1) 5 \\.800 "));
        // Taking one away is fine.
        correction->setText2(QStringLiteral("5"));
        QCOMPARE(correction->Command4_Click(), EditOutcome::Done);
        QCOMPARE(job->printCounts[5], 32766);
    }

    void finish_emptiesTheScreen() {
        registerPersons({{12}});
        show(1);
        correction->setText2(QStringLiteral("13"));
        QCOMPARE(correction->Command2_Click(), EditOutcome::Done);
        correction->setText2(QStringLiteral("12)"));
        QCOMPARE(correction->Command4_Click(), EditOutcome::BadNumber);
        correction->Command3_Click();
        const CorrectionDisplay& d = correction->display();
        QCOMPARE(d.Text1, QString());
        QCOMPARE(d.Text2, QString());
        QVERIFY(!d.Label7Visible && !d.Label8Visible && !d.Label12Visible);
        QVERIFY(d.Pic1.ops.isEmpty());
        QVERIFY(d.Pic2.ops.isEmpty());
        QCOMPARE(job->correctedRecord, QStringLiteral("(1) 12 13 \\.1600 "));
    }
};

QTEST_MAIN(TestRecordCorrection)
#include "tst_record_correction.moc"
