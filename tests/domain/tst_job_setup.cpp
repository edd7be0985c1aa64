#include "domain/job_setup.h"
#include "domain/job_state.h"
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
    void smallFields_roundHalvesToEven_data();
    void smallFields_roundHalvesToEven();
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
    for (const QString& text : {QStringLiteral("0"), QStringLiteral("-5"), QStringLiteral("abc")}) {
        QTest::addRow("large %s", qPrintable(text)) << SizeRow::Large << text;
        QTest::addRow("medium %s", qPrintable(text)) << SizeRow::Medium << text;
        QTest::addRow("small %s", qPrintable(text)) << SizeRow::Small << text;
    }
}

void TestJobSetup::startBox_notAboveZero_refusedAndStartCleared() {
    QFETCH(SizeRow, row);
    QFETCH(QString, text);
    SetupFixture bench;
    const RowControls boxes = rowControls(row);
    bench.enter(boxes.start, QStringLiteral("7"));
    QCOMPARE(storedStart(bench.job, row), 7);

    bench.type(boxes.start, text);
    bench.leave(boxes.start);

    QCOMPARE(bench.platform.messages, QStringList{JobSetup::kStartNotPositiveMessage});
    QCOMPARE(storedStart(bench.job, row), 0);
    QCOMPARE(bench.screen.text(boxes.start), QString());
    QCOMPARE(bench.screen.focus, boxes.start);
}

void TestJobSetup::startBox_leftEmpty_storesZeroAndHidesFinish() {
    SetupFixture bench;
    bench.setup.switchOff(SizeRow::Large);
    bench.setup.switchOff(SizeRow::Medium);
    bench.enter(tbShouStart, "1");
    bench.enter(tbShouEnd, "100");
    bench.type(tbShouTanka, "100");
    QVERIFY(bench.screen.finishVisible);

    bench.enter(tbShouStart, QString());

    QVERIFY(bench.platform.messages.isEmpty());
    QCOMPARE(bench.job.smallStart.value(), 0);
    QVERIFY(!bench.screen.finishVisible);
}

void TestJobSetup::endBox_refusals_keepStoredEnd_data() {
    addRows();
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const struct {
        const char* text;
        QString message;
    } cases[] = {
        {"0", JobSetup::kEndNotPositiveMessage},   {"-5", JobSetup::kEndNotPositiveMessage},
        {"abc", JobSetup::kEndNotPositiveMessage}, {"10000", JobSetup::kEndTooHighMessage},
        {"9999.5", JobSetup::kEndTooHighMessage},
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
    SetupFixture bench;
    const RowControls boxes = rowControls(row);
    bench.enter(boxes.end, QStringLiteral("77"));

    bench.type(boxes.end, text);
    bench.leave(boxes.end);

    QCOMPARE(bench.platform.messages, QStringList{message});
    QCOMPARE(storedEnd(bench.job, row), 77);
    QCOMPARE(bench.screen.text(boxes.end), QString());
    QCOMPARE(bench.screen.focus, boxes.end);
}

void TestJobSetup::endBox_9999_accepted() {
    SetupFixture bench;
    bench.enter(tbShouStart, "1");
    bench.enter(tbShouEnd, "9999");
    QVERIFY(bench.platform.messages.isEmpty());
    QCOMPARE(bench.job.smallEnd, 9999);
    QCOMPARE(bench.screen.text(tbShouMai), QStringLiteral(" 9999"));
    QCOMPARE(bench.job.smallCount, 9999);
}

void TestJobSetup::endBox_leftEmpty_storesZero() {
    SetupFixture bench;
    bench.enter(tbDaiEnd, "40");
    bench.enter(tbDaiEnd, QString());
    QVERIFY(bench.platform.messages.isEmpty());
    QCOMPARE(bench.job.largeEnd.value(), 0);
}

void TestJobSetup::count_startOneEndHundred_showsSignedForm_data() {
    addRows();
    QTest::newRow("large") << SizeRow::Large;
    QTest::newRow("medium") << SizeRow::Medium;
    QTest::newRow("small") << SizeRow::Small;
}

void TestJobSetup::count_startOneEndHundred_showsSignedForm() {
    QFETCH(SizeRow, row);
    SetupFixture bench;
    const RowControls boxes = rowControls(row);
    bench.enter(boxes.start, "1");
    QCOMPARE(bench.screen.text(boxes.count), QString());  // no end yet
    bench.enter(boxes.end, "100");
    QCOMPARE(bench.screen.text(boxes.count), QStringLiteral(" 100"));
    QCOMPARE(storedCount(bench.job, row), 100);
    QVERIFY(bench.platform.messages.isEmpty());
}

void TestJobSetup::count_endTypedBeforeStart_showsNegativeCount() {
    SetupFixture bench;
    bench.enter(tbDaiEnd, "20");
    bench.enter(tbDaiStart, "50");
    QVERIFY(bench.platform.messages.isEmpty());
    QCOMPARE(bench.screen.text(tbDaiMai), QStringLiteral("-29"));
    QCOMPARE(bench.job.largeCount, -29);
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
    SetupFixture bench;
    const RowControls boxes = rowControls(row);
    bench.enter(boxes.start, "50");
    bench.enter(boxes.end, "20");

    QCOMPARE(bench.platform.messages, QStringList{message});
    QCOMPARE(bench.screen.text(boxes.start), QString());
    QCOMPARE(bench.screen.text(boxes.end), QString());
    QCOMPARE(bench.screen.text(boxes.count), QString());
    QCOMPARE(storedCount(bench.job, row), 0);
    QCOMPARE(bench.screen.focus, boxes.start);
    QCOMPARE(storedStart(bench.job, row), 50);
    QCOMPARE(storedEnd(bench.job, row), 20);

    // A new start counts against the empty end box until a new end comes.
    bench.platform.clear();
    bench.enter(boxes.start, "10");
    QVERIFY(bench.platform.messages.isEmpty());
    QCOMPARE(bench.screen.text(boxes.count), QStringLiteral("-9"));
}

void TestJobSetup::endBox_accepted_showsPriceOfLargeAndMedium() {
    SetupFixture bench;
    bench.fillRanges("1", "10", "11", "20", "21", "30");
    QCOMPARE(bench.screen.pricesShown, (QStringList{"large", "medium"}));
}

void TestJobSetup::smallFields_roundHalvesToEven_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("smallEnd");
    QTest::addColumn<QString>("countText");
    QTest::addColumn<int>("smallCount");
    QTest::newRow("end 10.5") << "1"
                              << "10.5" << 10 << " 10.5" << 10;
    QTest::newRow("end 11.5") << "1"
                              << "11.5" << 12 << " 11.5" << 12;
    QTest::newRow("count 9.5") << "1.5"
                               << "10" << 10 << " 9.5" << 10;
    QTest::newRow("count 8.5") << "2.5"
                               << "10" << 10 << " 8.5" << 8;
}

void TestJobSetup::smallFields_roundHalvesToEven() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, smallEnd);
    QFETCH(QString, countText);
    QFETCH(int, smallCount);
    SetupFixture bench;
    bench.enter(tbShouStart, start);
    bench.enter(tbShouEnd, end);
    QCOMPARE(bench.job.smallEnd, smallEnd);
    QCOMPARE(bench.screen.text(tbShouMai), countText);
    QCOMPARE(bench.job.smallCount, smallCount);

    // The large end keeps its fraction.
    SetupFixture other;
    other.enter(tbDaiEnd, "10.5");
    QCOMPARE(other.job.largeEnd.value(), 10.5);
}

void TestJobSetup::smallCount_outsideItsField_keptAtTheLimit() {
    SetupFixture bench;
    bench.enter(tbShouEnd, "5");
    bench.enter(tbShouStart, "100000");
    QCOMPARE(bench.screen.text(tbShouMai), QStringLiteral("-99994"));
    QCOMPARE(bench.job.smallCount, std::numeric_limits<std::int16_t>::min());
}

void TestJobSetup::price_changes_data() {
    QTest::addColumn<SetupControl>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Number>("stored");
    QTest::newRow("large 29999") << tbDaiTanka << "29999" << Number(29999);
    QTest::newRow("medium 29999") << tbChuTanka << "29999" << Number(29999);
    QTest::newRow("small 29999") << tbShouTanka << "29999" << Number(29999);
    QTest::newRow("large fraction") << tbDaiTanka << "10.5" << 10.5;
    QTest::newRow("small 10.5 to even") << tbShouTanka << "10.5" << Number(10);
    QTest::newRow("small 11.5 to even") << tbShouTanka << "11.5" << Number(12);
    QTest::newRow("negative stored") << tbChuTanka << "-100" << Number(-100);
    QTest::newRow("leading number") << tbShouTanka << "120yen" << Number(120);
}

void TestJobSetup::price_changes() {
    QFETCH(SetupControl, box);
    QFETCH(QString, text);
    QFETCH(Number, stored);
    SetupFixture bench;
    bench.type(box, text);
    const Number price = box == tbDaiTanka   ? bench.job.largeUnitPrice.value()
                         : box == tbChuTanka ? bench.job.mediumUnitPrice.value()
                                             : Number(bench.job.smallUnitPrice);
    QCOMPARE(price, stored);
    QVERIFY(bench.platform.messages.isEmpty());
    QCOMPARE(bench.screen.text(box), text);
}

void TestJobSetup::price_tooLarge_refusedOnceAndStoredAsZero() {
    SetupFixture bench;
    bench.type(tbDaiTanka, "2999");
    QCOMPARE(bench.job.largeUnitPrice.value(), 2999);
    bench.screen.finishVisible = true;

    bench.type(tbDaiTanka, "30000");

    QCOMPARE(bench.platform.messages, QStringList{JobSetup::kPriceTooLargeMessage});
    QCOMPARE(bench.screen.text(tbDaiTanka), QString());
    QCOMPARE(bench.job.largeUnitPrice.value(), 0);
    QVERIFY(!bench.screen.finishVisible);
}

void TestJobSetup::price_leftAtLimit_refused() {
    // The box cannot normally hold 30000 when left; the check on leaving
    // stands on its own all the same.
    SetupFixture bench;
    bench.screen.texts[tbShouTanka] = "30000";
    bench.leave(tbShouTanka);
    QCOMPARE(bench.platform.messages, QStringList{JobSetup::kPriceTooLargeMessage});
    QCOMPARE(bench.screen.text(tbShouTanka), QString());
    QCOMPARE(bench.job.smallUnitPrice, 0);

    bench.platform.clear();
    bench.screen.texts[tbDaiTanka] = "700";
    bench.leave(tbDaiTanka);
    QVERIFY(bench.platform.messages.isEmpty());
    QCOMPARE(bench.job.largeUnitPrice.value(), 700);
}

void TestJobSetup::price_typedZero_acceptedForCompleteJob() {
    SetupFixture bench;
    bench.fillRanges("1", "100", "101", "200", "201", "300");
    bench.type(tbDaiTanka, "800");
    bench.type(tbChuTanka, "500");
    bench.type(tbShouTanka, "0");
    QVERIFY(bench.screen.finishVisible);
    QCOMPARE(bench.job.smallUnitPrice, 0);

    bench.type(tbShouTanka, QString());
    QVERIFY(!bench.screen.finishVisible);
}

void TestJobSetup::smallPrice_beyondItsField_refused() {
    SetupFixture bench;
    bench.type(tbShouTanka, "-5000000000");
    QCOMPARE(bench.platform.messages, QStringList{JobSetup::kPriceTooLargeMessage});
    QCOMPARE(bench.screen.text(tbShouTanka), QString());
    QCOMPARE(bench.job.smallUnitPrice, 0);

    // The large price is a general number and holds it.
    bench.platform.clear();
    bench.type(tbDaiTanka, "-5000000000");
    QVERIFY(bench.platform.messages.isEmpty());
    QCOMPARE(bench.job.largeUnitPrice.value(), -5000000000.0);
}

void TestJobSetup::smallEndEmptied_hidesFinish() {
    SetupFixture bench;
    bench.type(tbShouEnd, "40");
    bench.screen.finishVisible = true;
    bench.type(tbShouEnd, "4");
    QVERIFY(bench.screen.finishVisible);
    bench.type(tbShouEnd, QString());
    QVERIFY(!bench.screen.finishVisible);
}

void TestJobSetup::textFields_storedAsTyped() {
    SetupFixture bench;
    bench.enter(tbTokuisaki, QStringLiteral("さくら小学校"));
    bench.enter(tbGyouji, QStringLiteral("12運動会"));
    bench.enter(tbSatueibi, QStringLiteral("2012-4-25"));
    bench.enter(tbSatueisha, QStringLiteral("山田"));
    QCOMPARE(bench.job.customerName.toText(), QStringLiteral("さくら小学校"));
    QVERIFY(bench.job.eventName.isText());
    QCOMPARE(bench.job.eventName.toText(), QStringLiteral("12運動会"));
    QCOMPARE(bench.job.shootingDate, QStringLiteral("2012-4-25"));
    QCOMPARE(bench.job.photographerName.toText(), QStringLiteral("山田"));
    QVERIFY(bench.platform.messages.isEmpty());
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
    QTest::newRow("small price abc") << 0 << 0 << tbShouTanka << "abc" << false << -1;
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
    SetupFixture bench;
    bench.job.largeMode = largeMode;
    bench.job.mediumMode = std::int16_t(mediumMode);
    bench.screen.texts[from] = text;
    bench.screen.finishVisible = finishVisible;

    bench.setup.keyPress(from, JobSetup::kKeyEnter);

    if (to < 0)
        QCOMPARE(bench.screen.focus, std::nullopt);
    else
        QCOMPARE(bench.screen.focus, SetupControl(to));
}

void TestJobSetup::keyInLargeStart_switchesLargeOn() {
    SetupFixture bench;
    bench.job.largeMode = 1;
    bench.setup.keyPress(tbDaiEnd, '5');
    QCOMPARE(bench.job.largeMode.value(), 1);
    bench.setup.keyPress(tbDaiStart, '5');
    QCOMPARE(bench.job.largeMode.value(), 0);
    bench.job.largeMode = 1;
    bench.setup.keyPress(tbDaiStart, JobSetup::kKeyEnter);
    QCOMPARE(bench.job.largeMode.value(), 0);
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
    SetupFixture bench;
    bench.job.largeMode = largeMode;
    bench.job.mediumMode = std::int16_t(mediumMode);
    bench.screen.finishVisible = finishVisible;
    QCOMPARE(bench.setup.activationFocus(), focus);
}

void TestJobSetup::switchOff_large_emptiesRowAndClearsSize() {
    SetupFixture bench;
    bench.enter(tbDaiStart, "1");
    bench.enter(tbDaiEnd, "100");
    bench.type(tbDaiTanka, "800");

    bench.setup.switchOff(SizeRow::Large);

    QCOMPARE(bench.job.largeMode.value(), 1);
    QVERIFY(!bench.screen.rowVisible[SizeRow::Large]);
    for (SetupControl box : {tbDaiStart, tbDaiEnd, tbDaiMai, tbDaiTanka})
        QCOMPARE(bench.screen.text(box), QString());
    QCOMPARE(bench.job.largeStart.value(), 0);
    QCOMPARE(bench.job.largeEnd.value(), 0);
    QCOMPARE(bench.job.largeCount, 0);
    QCOMPARE(bench.job.largeUnitPrice.value(), 0);
    QCOMPARE(bench.screen.focus, tbChuStart);
}

void TestJobSetup::switchOff_secondSize_focusToSmallStart() {
    SetupFixture bench;
    bench.setup.switchOff(SizeRow::Medium);
    QCOMPARE(bench.screen.focus, tbDaiStart);
    bench.setup.switchOff(SizeRow::Large);
    QCOMPARE(bench.screen.focus, tbShouStart);
    bench.screen.focus.reset();
    bench.setup.switchOff(SizeRow::Medium);
    QCOMPARE(bench.screen.focus, tbShouStart);
    QCOMPARE(bench.job.mediumMode, 1);
}

void TestJobSetup::switchOff_completesJob_showsFinish() {
    // Emptying the price box of the size switched off runs its change
    // handling, whose check sees the remaining sizes complete.
    SetupFixture bench;
    bench.enter(tbDaiStart, "1");
    bench.enter(tbDaiEnd, "100");
    bench.enter(tbShouStart, "101");
    bench.enter(tbShouEnd, "200");
    bench.type(tbDaiTanka, "800");
    bench.type(tbShouTanka, "100");
    bench.type(tbChuTanka, "500");
    QVERIFY(!bench.screen.finishVisible);  // the medium range is missing

    bench.setup.switchOff(SizeRow::Medium);

    QVERIFY(bench.screen.finishVisible);
    QVERIFY(bench.platform.messages.isEmpty());
}

void TestJobSetup::switchOn_showsRowWithEmptyBoxes() {
    SetupFixture bench;
    bench.enter(tbChuStart, "5");
    bench.setup.switchOff(SizeRow::Medium);
    bench.screen.focus.reset();
    bench.setup.switchOn(SizeRow::Medium);
    QCOMPARE(bench.job.mediumMode, 0);
    QVERIFY(bench.screen.rowVisible[SizeRow::Medium]);
    QCOMPARE(bench.screen.text(tbChuStart), QString());
    QCOMPARE(bench.screen.focus, std::nullopt);

    bench.setup.switchOff(SizeRow::Large);
    bench.setup.switchOn(SizeRow::Large);
    QCOMPARE(bench.job.largeMode.value(), 0);
    QCOMPARE(bench.screen.focus, tbDaiStart);
}

QTEST_GUILESS_MAIN(TestJobSetup)
#include "tst_job_setup.moc"
