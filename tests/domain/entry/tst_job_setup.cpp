// SPDX-License-Identifier: MIT
#include "domain/entry/job_setup.h"
#include "domain/job/job_state.h"
#include "support/fake_setup_screen.h"

#include <limits>

#include <QTest>

using enum SetupControl;

Q_DECLARE_METATYPE(SizeRow)
Q_DECLARE_METATYPE(SetupControl)

namespace {

Number storedStart(const JobState& job, SizeRow row) {
    switch (row) {
        case SizeRow::Large:
            return job.largeStart.value();
        case SizeRow::Medium:
            return job.mediumStart.value();
        case SizeRow::Small:
            break;
    }
    return job.smallStart.value();
}

Number storedEnd(const JobState& job, SizeRow row) {
    switch (row) {
        case SizeRow::Large:
            return job.largeEnd.value();
        case SizeRow::Medium:
            return job.mediumEnd.value();
        case SizeRow::Small:
            break;
    }
    return job.smallEnd;
}

Number storedCount(const JobState& job, SizeRow row) {
    switch (row) {
        case SizeRow::Large:
            return job.largeCount;
        case SizeRow::Medium:
            return job.mediumCount;
        case SizeRow::Small:
            break;
    }
    return job.smallCount;
}

void addRows() {
    QTest::addColumn<SizeRow>("row");
}

}  // namespace

class TestJobSetup : public QObject {
    Q_OBJECT

private slots:
    void startBox_notAboveZero_refusedAndStartCleared_data();
    void startBox_notAboveZero_refusedAndStartCleared();
    void startBox_leftEmpty_storesZeroAndHidesFinish();
    void endBox_refusals_keepStoredEnd_data();
    void endBox_refusals_keepStoredEnd();
    void endBox_9999_accepted();
    void endBox_leftEmpty_storesZero();
    void count_startOneEndHundred_showsSignedForm_data();
    void count_startOneEndHundred_showsSignedForm();
    void count_endTypedBeforeStart_showsNegativeCount();
    void endBeforeStart_refusedWithSizeMessage_data();
    void endBeforeStart_refusedWithSizeMessage();
    void endBox_accepted_showsPriceOfLargeAndMedium();
    void smallCount_outsideItsField_keptAtTheLimit();
    void price_changes_data();
    void price_changes();
    void price_tooLarge_refusedOnceAndStoredAsZero();
    void price_leftAtLimit_refused();
    void price_typedZero_acceptedForCompleteJob();
    void smallPrice_beyondItsField_refused();
    void smallEndEmptied_hidesFinish();
    void textFields_storedAsTyped();
    void enter_movesThroughFields_data();
    void enter_movesThroughFields();
    void keyInLargeStart_switchesLargeOn();
    void activationFocus_data();
    void activationFocus();
    void switchOff_large_emptiesRowAndClearsSize();
    void switchOff_secondSize_focusToSmallStart();
    void switchOff_completesJob_showsFinish();
    void switchOn_showsRowWithEmptyBoxes();
};

void TestJobSetup::startBox_notAboveZero_refusedAndStartCleared_data() {
    addRows();
    QTest::addColumn<QString>("text");
    for (const QString& text : {QStringLiteral("0"), QStringLiteral("-5")}) {
        QTest::addRow("large %s", qPrintable(text)) << SizeRow::Large << text;
        QTest::addRow("medium %s", qPrintable(text)) << SizeRow::Medium << text;
        QTest::addRow("small %s", qPrintable(text)) << SizeRow::Small << text;
    }
}

void TestJobSetup::startBox_notAboveZero_refusedAndStartCleared() {
    QFETCH(SizeRow, row);
    QFETCH(QString, text);
    SetupFixture fixture;
    const RowControls boxes = rowControls(row);
    fixture.enter(boxes.start, QStringLiteral("7"));
    QCOMPARE(storedStart(fixture.job, row), 7);

    fixture.type(boxes.start, text);
    fixture.leave(boxes.start);

    QCOMPARE(fixture.platform.messages, QStringList{JobSetup::kStartNotPositiveMessage});
    QCOMPARE(storedStart(fixture.job, row), 0);
    QCOMPARE(fixture.screen.text(boxes.start), QString());
    QCOMPARE(fixture.screen.focus, boxes.start);
}

void TestJobSetup::startBox_leftEmpty_storesZeroAndHidesFinish() {
    SetupFixture fixture;
    fixture.setup.switchOff(SizeRow::Large);
    fixture.setup.switchOff(SizeRow::Medium);
    fixture.enter(tbShouStart, "1");
    fixture.enter(tbShouEnd, "100");
    fixture.type(tbShouTanka, "100");
    QVERIFY(fixture.screen.finishVisible);

    fixture.enter(tbShouStart, QString());

    QVERIFY(fixture.platform.messages.isEmpty());
    QCOMPARE(fixture.job.smallStart.value(), 0);
    QVERIFY(!fixture.screen.finishVisible);
}

void TestJobSetup::endBox_refusals_keepStoredEnd_data() {
    addRows();
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const struct {
        const char* text;
        QString message;
    } cases[] = {
        {"0", JobSetup::kEndNotPositiveMessage},
        {"-5", JobSetup::kEndNotPositiveMessage},
        {"10000", JobSetup::kEndTooHighMessage},
    };
    for (const auto& c : cases) {
        QTest::addRow("large %s", c.text) << SizeRow::Large << QString(c.text) << c.message;
        QTest::addRow("medium %s", c.text) << SizeRow::Medium << QString(c.text) << c.message;
        QTest::addRow("small %s", c.text) << SizeRow::Small << QString(c.text) << c.message;
    }
}

void TestJobSetup::endBox_refusals_keepStoredEnd() {
    QFETCH(SizeRow, row);
    QFETCH(QString, text);
    QFETCH(QString, message);
    SetupFixture fixture;
    const RowControls boxes = rowControls(row);
    fixture.enter(boxes.end, QStringLiteral("77"));

    fixture.type(boxes.end, text);
    fixture.leave(boxes.end);

    QCOMPARE(fixture.platform.messages, QStringList{message});
    QCOMPARE(storedEnd(fixture.job, row), 77);
    QCOMPARE(fixture.screen.text(boxes.end), QString());
    QCOMPARE(fixture.screen.focus, boxes.end);
}

void TestJobSetup::endBox_9999_accepted() {
    SetupFixture fixture;
    fixture.enter(tbShouStart, "1");
    fixture.enter(tbShouEnd, "9999");
    QVERIFY(fixture.platform.messages.isEmpty());
    QCOMPARE(fixture.job.smallEnd, 9999);
    QCOMPARE(fixture.screen.text(tbShouMai), QStringLiteral(" 9999"));
    QCOMPARE(fixture.job.smallCount, 9999);
}

void TestJobSetup::endBox_leftEmpty_storesZero() {
    SetupFixture fixture;
    fixture.enter(tbDaiEnd, "40");
    fixture.enter(tbDaiEnd, QString());
    QVERIFY(fixture.platform.messages.isEmpty());
    QCOMPARE(fixture.job.largeEnd.value(), 0);
}

void TestJobSetup::count_startOneEndHundred_showsSignedForm_data() {
    addRows();
    QTest::newRow("large") << SizeRow::Large;
    QTest::newRow("medium") << SizeRow::Medium;
    QTest::newRow("small") << SizeRow::Small;
}

void TestJobSetup::count_startOneEndHundred_showsSignedForm() {
    QFETCH(SizeRow, row);
    SetupFixture fixture;
    const RowControls boxes = rowControls(row);
    fixture.enter(boxes.start, "1");
    QCOMPARE(fixture.screen.text(boxes.count), QString());  // no end yet
    fixture.enter(boxes.end, "100");
    QCOMPARE(fixture.screen.text(boxes.count), QStringLiteral(" 100"));
    QCOMPARE(storedCount(fixture.job, row), 100);
    QVERIFY(fixture.platform.messages.isEmpty());
}

void TestJobSetup::count_endTypedBeforeStart_showsNegativeCount() {
    SetupFixture fixture;
    fixture.enter(tbDaiEnd, "20");
    fixture.enter(tbDaiStart, "50");
    QVERIFY(fixture.platform.messages.isEmpty());
    QCOMPARE(fixture.screen.text(tbDaiMai), QStringLiteral("-29"));
    QCOMPARE(fixture.job.largeCount, -29);
}

void TestJobSetup::endBeforeStart_refusedWithSizeMessage_data() {
    addRows();
    QTest::addColumn<QString>("message");
    QTest::newRow("large") << SizeRow::Large << JobSetup::kLargeEndBeforeStartMessage;
    QTest::newRow("medium") << SizeRow::Medium << JobSetup::kMediumEndBeforeStartMessage;
    QTest::newRow("small") << SizeRow::Small << JobSetup::kSmallEndBeforeStartMessage;
}

void TestJobSetup::endBeforeStart_refusedWithSizeMessage() {
    QFETCH(SizeRow, row);
    QFETCH(QString, message);
    SetupFixture fixture;
    const RowControls boxes = rowControls(row);
    fixture.enter(boxes.start, "50");
    fixture.enter(boxes.end, "20");

    QCOMPARE(fixture.platform.messages, QStringList{message});
    QCOMPARE(fixture.screen.text(boxes.start), QString());
    QCOMPARE(fixture.screen.text(boxes.end), QString());
    QCOMPARE(fixture.screen.text(boxes.count), QString());
    QCOMPARE(storedCount(fixture.job, row), 0);
    QCOMPARE(fixture.screen.focus, boxes.start);
    QCOMPARE(storedStart(fixture.job, row), 50);
    QCOMPARE(storedEnd(fixture.job, row), 20);

    // A new start counts against the empty end box until a new end comes.
    fixture.platform.clear();
    fixture.enter(boxes.start, "10");
    QVERIFY(fixture.platform.messages.isEmpty());
    QCOMPARE(fixture.screen.text(boxes.count), QStringLiteral("-9"));
}

void TestJobSetup::endBox_accepted_showsPriceOfLargeAndMedium() {
    SetupFixture fixture;
    fixture.fillRanges("1", "10", "11", "20", "21", "30");
    QCOMPARE(fixture.screen.pricesShown, (QStringList{"large", "medium"}));
}

void TestJobSetup::smallCount_outsideItsField_keptAtTheLimit() {
    SetupFixture fixture;
    fixture.enter(tbShouEnd, "5");
    fixture.enter(tbShouStart, "100000");
    QCOMPARE(fixture.screen.text(tbShouMai), QStringLiteral("-99994"));
    QCOMPARE(fixture.job.smallCount, std::numeric_limits<std::int16_t>::min());
}

void TestJobSetup::price_changes_data() {
    QTest::addColumn<SetupControl>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Number>("stored");
    QTest::newRow("large 29999") << tbDaiTanka << "29999" << Number(29999);
    QTest::newRow("medium 29999") << tbChuTanka << "29999" << Number(29999);
    QTest::newRow("small 29999") << tbShouTanka << "29999" << Number(29999);
    QTest::newRow("negative stored") << tbChuTanka << "-100" << Number(-100);
    QTest::newRow("grouped") << tbShouTanka << "1,200" << Number(1200);
    // Not a price yet: nothing stored until the box is left, which refuses it.
    QTest::newRow("on the way to 1,200") << tbDaiTanka << "1,20" << Number(0);
    QTest::newRow("a point") << tbShouTanka << "1.200" << Number(0);
}

void TestJobSetup::price_changes() {
    QFETCH(SetupControl, box);
    QFETCH(QString, text);
    QFETCH(Number, stored);
    SetupFixture fixture;
    fixture.type(box, text);
    const Number price = box == tbDaiTanka   ? fixture.job.largeUnitPrice.value()
                         : box == tbChuTanka ? fixture.job.mediumUnitPrice.value()
                                             : Number(fixture.job.smallUnitPrice);
    QCOMPARE(price, stored);
    QVERIFY(fixture.platform.messages.isEmpty());
    QCOMPARE(fixture.screen.text(box), text);
}

void TestJobSetup::price_tooLarge_refusedOnceAndStoredAsZero() {
    SetupFixture fixture;
    fixture.type(tbDaiTanka, "2999");
    QCOMPARE(fixture.job.largeUnitPrice.value(), 2999);
    fixture.screen.finishVisible = true;

    fixture.type(tbDaiTanka, "30000");

    QCOMPARE(fixture.platform.messages, QStringList{JobSetup::kPriceTooLargeMessage});
    QCOMPARE(fixture.screen.text(tbDaiTanka), QString());
    QCOMPARE(fixture.job.largeUnitPrice.value(), 0);
    QVERIFY(!fixture.screen.finishVisible);
}

void TestJobSetup::price_leftAtLimit_refused() {
    // The box cannot normally hold 30000 when left; the check on leaving
    // stands on its own all the same.
    SetupFixture fixture;
    fixture.screen.texts[tbShouTanka] = "30000";
    fixture.leave(tbShouTanka);
    QCOMPARE(fixture.platform.messages, QStringList{JobSetup::kPriceTooLargeMessage});
    QCOMPARE(fixture.screen.text(tbShouTanka), QString());
    QCOMPARE(fixture.job.smallUnitPrice, 0);

    fixture.platform.clear();
    fixture.screen.texts[tbDaiTanka] = "700";
    fixture.leave(tbDaiTanka);
    QVERIFY(fixture.platform.messages.isEmpty());
    QCOMPARE(fixture.job.largeUnitPrice.value(), 700);
}

void TestJobSetup::price_typedZero_acceptedForCompleteJob() {
    SetupFixture fixture;
    fixture.fillRanges("1", "100", "101", "200", "201", "300");
    fixture.type(tbDaiTanka, "800");
    fixture.type(tbChuTanka, "500");
    fixture.type(tbShouTanka, "0");
    QVERIFY(fixture.screen.finishVisible);
    QCOMPARE(fixture.job.smallUnitPrice, 0);

    fixture.type(tbShouTanka, QString());
    QVERIFY(!fixture.screen.finishVisible);
}

void TestJobSetup::smallPrice_beyondItsField_refused() {
    SetupFixture fixture;
    fixture.type(tbShouTanka, "-5000000000");
    QCOMPARE(fixture.platform.messages, QStringList{JobSetup::kPriceTooLargeMessage});
    QCOMPARE(fixture.screen.text(tbShouTanka), QString());
    QCOMPARE(fixture.job.smallUnitPrice, 0);

    // The large price is a general number and holds it.
    fixture.platform.clear();
    fixture.type(tbDaiTanka, "-5000000000");
    QVERIFY(fixture.platform.messages.isEmpty());
    QCOMPARE(fixture.job.largeUnitPrice.value(), -5000000000.0);
}

void TestJobSetup::smallEndEmptied_hidesFinish() {
    SetupFixture fixture;
    fixture.type(tbShouEnd, "40");
    fixture.screen.finishVisible = true;
    fixture.type(tbShouEnd, "4");
    QVERIFY(fixture.screen.finishVisible);
    fixture.type(tbShouEnd, QString());
    QVERIFY(!fixture.screen.finishVisible);
}

void TestJobSetup::textFields_storedAsTyped() {
    SetupFixture fixture;
    fixture.enter(tbTokuisaki, QStringLiteral("さくら小学校"));
    fixture.enter(tbGyouji, QStringLiteral("12運動会"));
    fixture.enter(tbSatueibi, QStringLiteral("2012-4-25"));
    fixture.enter(tbSatueisha, QStringLiteral("山田"));
    QCOMPARE(fixture.job.customerName.toText(), QStringLiteral("さくら小学校"));
    QVERIFY(fixture.job.eventName.isText());
    QCOMPARE(fixture.job.eventName.toText(), QStringLiteral("12運動会"));
    QCOMPARE(fixture.job.shootingDate, QStringLiteral("2012-4-25"));
    QCOMPARE(fixture.job.photographerName.toText(), QStringLiteral("山田"));
    QVERIFY(fixture.platform.messages.isEmpty());
}

void TestJobSetup::enter_movesThroughFields_data() {
    QTest::addColumn<int>("largeMode");
    QTest::addColumn<int>("mediumMode");
    QTest::addColumn<SetupControl>("from");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("finishVisible");
    QTest::addColumn<int>("to");  // -1: the focus does not move
    const auto to = [](SetupControl c) { return int(c); };
    QTest::newRow("large start") << 0 << 0 << tbDaiStart << "1" << false << to(tbDaiEnd);
    QTest::newRow("large start empty") << 0 << 0 << tbDaiStart << "" << false << -1;
    QTest::newRow("large end, medium on") << 0 << 0 << tbDaiEnd << "9" << false << to(tbChuStart);
    QTest::newRow("large end, medium off") << 0 << 1 << tbDaiEnd << "9" << false << to(tbShouStart);
    QTest::newRow("medium start") << 0 << 0 << tbChuStart << "1" << false << to(tbChuEnd);
    QTest::newRow("medium end") << 0 << 0 << tbChuEnd << "1" << false << to(tbShouStart);
    QTest::newRow("medium end empty") << 0 << 0 << tbChuEnd << "" << false << -1;
    QTest::newRow("small start") << 0 << 0 << tbShouStart << "1" << false << to(tbShouEnd);
    QTest::newRow("small end, large on") << 0 << 0 << tbShouEnd << "1" << false << to(tbDaiTanka);
    QTest::newRow("small end, large off") << 1 << 0 << tbShouEnd << "1" << false << to(tbChuTanka);
    QTest::newRow("small end, both off") << 1 << 1 << tbShouEnd << "1" << false << to(tbShouTanka);
    QTest::newRow("small end empty") << 1 << 1 << tbShouEnd << "" << false << -1;
    QTest::newRow("large price, medium on")
        << 0 << 0 << tbDaiTanka << "5" << false << to(tbChuTanka);
    QTest::newRow("large price, medium off")
        << 0 << 1 << tbDaiTanka << "5" << false << to(tbShouTanka);
    QTest::newRow("large price empty") << 0 << 0 << tbDaiTanka << "" << false << -1;
    QTest::newRow("medium price") << 0 << 0 << tbChuTanka << "5" << false << to(tbShouTanka);
    QTest::newRow("small price") << 0 << 0 << tbShouTanka << "5" << false << to(tbTokuisaki);
    QTest::newRow("small price 0") << 0 << 0 << tbShouTanka << "0" << false << -1;
    // No price: leaving refuses it.
    QTest::newRow("small price abc") << 0 << 0 << tbShouTanka << "abc" << false << to(tbTokuisaki);
    QTest::newRow("customer empty") << 0 << 0 << tbTokuisaki << "" << false << to(tbGyouji);
    QTest::newRow("event") << 0 << 0 << tbGyouji << "" << false << to(tbSatueibi);
    QTest::newRow("date") << 0 << 0 << tbSatueibi << "" << false << to(tbSatueisha);
    QTest::newRow("photographer, finish hidden") << 0 << 0 << tbSatueisha << "x" << false << -1;
    QTest::newRow("photographer, finish shown")
        << 0 << 0 << tbSatueisha << "x" << true << to(Command2);
}

void TestJobSetup::enter_movesThroughFields() {
    QFETCH(int, largeMode);
    QFETCH(int, mediumMode);
    QFETCH(SetupControl, from);
    QFETCH(QString, text);
    QFETCH(bool, finishVisible);
    QFETCH(int, to);
    SetupFixture fixture;
    fixture.job.largeMode = largeMode;
    fixture.job.mediumMode = std::int16_t(mediumMode);
    fixture.screen.texts[from] = text;
    fixture.screen.finishVisible = finishVisible;

    fixture.setup.keyPress(from, JobSetup::kKeyEnter);

    if (to < 0)
        QCOMPARE(fixture.screen.focus, std::nullopt);
    else
        QCOMPARE(fixture.screen.focus, SetupControl(to));
}

void TestJobSetup::keyInLargeStart_switchesLargeOn() {
    SetupFixture fixture;
    fixture.job.largeMode = 1;
    fixture.setup.keyPress(tbDaiEnd, '5');
    QCOMPARE(fixture.job.largeMode.value(), 1);
    fixture.setup.keyPress(tbDaiStart, '5');
    QCOMPARE(fixture.job.largeMode.value(), 0);
    fixture.job.largeMode = 1;
    fixture.setup.keyPress(tbDaiStart, JobSetup::kKeyEnter);
    QCOMPARE(fixture.job.largeMode.value(), 0);
}

void TestJobSetup::activationFocus_data() {
    QTest::addColumn<int>("largeMode");
    QTest::addColumn<int>("mediumMode");
    QTest::addColumn<bool>("finishVisible");
    QTest::addColumn<SetupControl>("focus");
    QTest::newRow("fresh") << 0 << 0 << false << tbDaiStart;
    QTest::newRow("finish shown") << 0 << 0 << true << Command2;
    QTest::newRow("large off") << 1 << 0 << false << tbChuStart;
    QTest::newRow("both off") << 1 << 1 << false << tbShouStart;
    QTest::newRow("medium off") << 0 << 1 << false << tbDaiStart;
}

void TestJobSetup::activationFocus() {
    QFETCH(int, largeMode);
    QFETCH(int, mediumMode);
    QFETCH(bool, finishVisible);
    QFETCH(SetupControl, focus);
    SetupFixture fixture;
    fixture.job.largeMode = largeMode;
    fixture.job.mediumMode = std::int16_t(mediumMode);
    fixture.screen.finishVisible = finishVisible;
    QCOMPARE(fixture.setup.activationFocus(), focus);
}

void TestJobSetup::switchOff_large_emptiesRowAndClearsSize() {
    SetupFixture fixture;
    fixture.enter(tbDaiStart, "1");
    fixture.enter(tbDaiEnd, "100");
    fixture.type(tbDaiTanka, "800");

    fixture.setup.switchOff(SizeRow::Large);

    QCOMPARE(fixture.job.largeMode.value(), 1);
    QVERIFY(!fixture.screen.rowVisible[SizeRow::Large]);
    for (SetupControl box : {tbDaiStart, tbDaiEnd, tbDaiMai, tbDaiTanka})
        QCOMPARE(fixture.screen.text(box), QString());
    QCOMPARE(fixture.job.largeStart.value(), 0);
    QCOMPARE(fixture.job.largeEnd.value(), 0);
    QCOMPARE(fixture.job.largeCount, 0);
    QCOMPARE(fixture.job.largeUnitPrice.value(), 0);
    QCOMPARE(fixture.screen.focus, tbChuStart);
}

void TestJobSetup::switchOff_secondSize_focusToSmallStart() {
    SetupFixture fixture;
    fixture.setup.switchOff(SizeRow::Medium);
    QCOMPARE(fixture.screen.focus, tbDaiStart);
    fixture.setup.switchOff(SizeRow::Large);
    QCOMPARE(fixture.screen.focus, tbShouStart);
    fixture.screen.focus.reset();
    fixture.setup.switchOff(SizeRow::Medium);
    QCOMPARE(fixture.screen.focus, tbShouStart);
    QCOMPARE(fixture.job.mediumMode, 1);
}

void TestJobSetup::switchOff_completesJob_showsFinish() {
    // Emptying the price box of the size switched off runs its change
    // handling, whose check sees the remaining sizes complete.
    SetupFixture fixture;
    fixture.enter(tbDaiStart, "1");
    fixture.enter(tbDaiEnd, "100");
    fixture.enter(tbShouStart, "101");
    fixture.enter(tbShouEnd, "200");
    fixture.type(tbDaiTanka, "800");
    fixture.type(tbShouTanka, "100");
    fixture.type(tbChuTanka, "500");
    QVERIFY(!fixture.screen.finishVisible);  // the medium range is missing

    fixture.setup.switchOff(SizeRow::Medium);

    QVERIFY(fixture.screen.finishVisible);
    QVERIFY(fixture.platform.messages.isEmpty());
}

void TestJobSetup::switchOn_showsRowWithEmptyBoxes() {
    SetupFixture fixture;
    fixture.enter(tbChuStart, "5");
    fixture.setup.switchOff(SizeRow::Medium);
    fixture.screen.focus.reset();
    fixture.setup.switchOn(SizeRow::Medium);
    QCOMPARE(fixture.job.mediumMode, 0);
    QVERIFY(fixture.screen.rowVisible[SizeRow::Medium]);
    QCOMPARE(fixture.screen.text(tbChuStart), QString());
    QCOMPARE(fixture.screen.focus, std::nullopt);

    fixture.setup.switchOff(SizeRow::Large);
    fixture.setup.switchOn(SizeRow::Large);
    QCOMPARE(fixture.job.largeMode.value(), 0);
    QCOMPARE(fixture.screen.focus, tbDaiStart);
}

QTEST_GUILESS_MAIN(TestJobSetup)
#include "tst_job_setup.moc"
