// SPDX-License-Identifier: MIT
#include "domain/entry/range_overlap.h"
#include "domain/job/job_state.h"
#include "support/fake_setup_screen.h"
#include "support/job_builder.h"

#include <QTest>

using enum SetupControl;

namespace {

// The hits as a six-character pattern in test order, e.g. "100100".
QString pattern(const std::array<bool, 6>& hits) {
    QString text;
    for (bool hit : hits)
        text += hit ? u'1' : u'0';
    return text;
}

}  // namespace

class TestRangeOverlap : public QObject {
    Q_OBJECT

private slots:
    void hits_data();
    void hits();
    void completeJob_showsFinishWithoutMessage();
    void sharedEndpoint_twoMessagesAndAllRangesCleared();
    void smallInsideLarge_oneMessageFromSmallSide();
    void storedSmallEndWithEmptyStart_oneMessageFromLargeSide();
    void overlap_focusGoesToFirstSizeInUse_data();
    void overlap_focusGoesToFirstSizeInUse();
    void largeOff_mediumAndSmallComplete_showsFinish();
    void finishButton_showAndHideRules_data();
    void finishButton_showAndHideRules();
};

void TestRangeOverlap::hits_data() {
    QTest::addColumn<JobRanges>("ranges");
    QTest::addColumn<QString>("hits");
    // Order: large in medium, large in small, medium in large, medium in
    // small, small in large, small in medium.
    QTest::newRow("apart") << JobRanges{1, 100, 0, 101, 200, 0, 201, 300, 0} << "000000";
    QTest::newRow("large end is medium start")
        << JobRanges{1, 100, 0, 100, 200, 0, 201, 300, 0} << "101000";
    QTest::newRow("small inside large") << JobRanges{1, 100, 0, 0, 0, 0, 20, 30, 0} << "000010";
    QTest::newRow("large inside small") << JobRanges{20, 30, 0, 0, 0, 0, 1, 100, 0} << "010000";
    QTest::newRow("medium over small start")
        << JobRanges{0, 0, 0, 150, 250, 0, 200, 300, 0} << "000101";
    QTest::newRow("all three the same") << JobRanges{5, 9, 0, 5, 9, 0, 5, 9, 0} << "111111";
    QTest::newRow("medium incomplete") << JobRanges{1, 100, 0, 50, 0, 0, 201, 300, 0} << "000000";
    QTest::newRow("start above end holds nothing")
        << JobRanges{50, 20, 0, 0, 0, 0, 30, 40, 0} << "000000";
}

void TestRangeOverlap::hits() {
    QFETCH(JobRanges, ranges);
    QFETCH(QString, hits);
    const JobState job = makeJob(ranges);
    QCOMPARE(pattern(rangeOverlapHits(job)), hits);
}

void TestRangeOverlap::completeJob_showsFinishWithoutMessage() {
    SetupFixture fixture;
    fixture.fillRanges("1", "100", "101", "200", "201", "300");
    fixture.type(tbDaiTanka, "800");
    fixture.type(tbChuTanka, "500");
    QVERIFY(!fixture.screen.finishVisible);
    fixture.type(tbShouTanka, "100");
    QVERIFY(fixture.screen.finishVisible);
    QVERIFY(fixture.platform.messages.isEmpty());
}

void TestRangeOverlap::sharedEndpoint_twoMessagesAndAllRangesCleared() {
    SetupFixture fixture;
    fixture.type(tbDaiTanka, "800");
    fixture.type(tbChuTanka, "500");
    fixture.type(tbShouTanka, "100");
    fixture.enter(tbShouStart, "201");
    fixture.enter(tbShouEnd, "300");
    fixture.enter(tbDaiStart, "1");
    fixture.enter(tbDaiEnd, "100");
    fixture.enter(tbChuStart, "100");
    QVERIFY(fixture.platform.messages.isEmpty());
    fixture.screen.finishVisible = true;

    fixture.enter(tbChuEnd, "200");

    QCOMPARE(fixture.platform.messages, QStringList(2, kRangeOverlapMessage));
    QVERIFY(!fixture.screen.finishVisible);
    for (SetupControl box : {tbDaiStart, tbDaiEnd, tbDaiMai, tbChuStart, tbChuEnd, tbChuMai,
                             tbShouStart, tbShouEnd, tbShouMai})
        QCOMPARE(fixture.screen.text(box), QString());
    const JobState& job = fixture.job;
    for (Number field : {job.largeStart.value(), job.largeEnd.value(), job.largeCount,
                         job.mediumStart.value(), job.mediumEnd.value(), job.mediumCount,
                         job.smallStart.value(), Number(job.smallEnd), Number(job.smallCount)})
        QCOMPARE(field, 0);
    QCOMPARE(fixture.screen.focus, tbDaiStart);
    // Prices and modes stay.
    QCOMPARE(fixture.screen.text(tbDaiTanka), QStringLiteral("800"));
    QCOMPARE(job.largeUnitPrice.value(), 800);
    QCOMPARE(job.mediumUnitPrice.value(), 500);
    QCOMPARE(job.smallUnitPrice, 100);
    QCOMPARE(job.largeMode.value(), 0);
    QCOMPARE(job.mediumMode, 0);
}

void TestRangeOverlap::smallInsideLarge_oneMessageFromSmallSide() {
    SetupFixture fixture;
    fixture.setup.switchOff(SizeRow::Medium);
    fixture.enter(tbDaiStart, "1");
    fixture.enter(tbDaiEnd, "100");
    fixture.enter(tbShouStart, "20");
    QVERIFY(fixture.platform.messages.isEmpty());
    fixture.enter(tbShouEnd, "30");
    QCOMPARE(fixture.platform.messages, QStringList{kRangeOverlapMessage});
    QCOMPARE(fixture.job.largeEnd.value(), 0);
    QCOMPARE(fixture.job.smallEnd, 0);
    QCOMPARE(fixture.screen.text(tbDaiStart), QString());
}

void TestRangeOverlap::storedSmallEndWithEmptyStart_oneMessageFromLargeSide() {
    SetupFixture fixture;
    fixture.enter(tbShouEnd, "300");
    fixture.enter(tbDaiStart, "1");
    QVERIFY(fixture.platform.messages.isEmpty());
    fixture.enter(tbDaiEnd, "100");
    QCOMPARE(fixture.platform.messages, QStringList{kRangeOverlapMessage});
    QCOMPARE(fixture.job.smallEnd, 0);
    QCOMPARE(fixture.screen.text(tbShouEnd), QString());
}

void TestRangeOverlap::overlap_focusGoesToFirstSizeInUse_data() {
    QTest::addColumn<int>("largeMode");
    QTest::addColumn<int>("mediumMode");
    QTest::addColumn<SetupControl>("focus");
    QTest::newRow("both on") << 0 << 0 << tbDaiStart;
    QTest::newRow("medium off") << 0 << 1 << tbDaiStart;
    QTest::newRow("large off") << 1 << 0 << tbChuStart;
    QTest::newRow("both off") << 1 << 1 << tbShouStart;
}

void TestRangeOverlap::overlap_focusGoesToFirstSizeInUse() {
    QFETCH(int, largeMode);
    QFETCH(int, mediumMode);
    QFETCH(SetupControl, focus);
    // Stored ranges that overlap, whatever the modes say.
    JobState job = makeJob({1, 100, 0, 50, 150, 0, 201, 300, 0});
    job.largeMode = largeMode;
    job.mediumMode = std::int16_t(mediumMode);
    FakePlatform platform;
    FakeSetupScreen screen;
    CheckRangeOverlap(job, screen, platform);
    QCOMPARE(platform.messages.size(), 2);
    QCOMPARE(screen.focus, focus);
}

void TestRangeOverlap::largeOff_mediumAndSmallComplete_showsFinish() {
    SetupFixture fixture;
    fixture.setup.switchOff(SizeRow::Large);
    fixture.enter(tbChuStart, "1");
    fixture.enter(tbChuEnd, "50");
    fixture.enter(tbShouStart, "51");
    fixture.enter(tbShouEnd, "99");
    fixture.type(tbChuTanka, "500");
    fixture.type(tbShouTanka, "100");
    QVERIFY(fixture.platform.messages.isEmpty());
    QVERIFY(fixture.screen.finishVisible);
}

void TestRangeOverlap::finishButton_showAndHideRules_data() {
    QTest::addColumn<int>("largeMode");
    QTest::addColumn<int>("mediumMode");
    QTest::addColumn<QList<SetupControl>>("emptyBoxes");
    QTest::addColumn<bool>("visibleBefore");
    QTest::addColumn<bool>("visibleAfter");
    using List = QList<SetupControl>;
    QTest::newRow("all filled") << 0 << 0 << List{} << false << true;
    QTest::newRow("small price empty, was hidden") << 0 << 0 << List{tbShouTanka} << false << false;
    QTest::newRow("small price empty, was shown") << 0 << 0 << List{tbShouTanka} << true << true;
    QTest::newRow("a start empty") << 0 << 0 << List{tbChuStart} << true << false;
    QTest::newRow("count boxes do not matter")
        << 0 << 0 << List{tbDaiMai, tbShouMai} << false << true;
    QTest::newRow("medium off, its boxes empty")
        << 0 << 1 << List{tbChuStart, tbChuEnd, tbChuTanka} << false << true;
    QTest::newRow("medium off, large price empty") << 0 << 1 << List{tbDaiTanka} << false << false;
    QTest::newRow("large off, its boxes empty")
        << 1 << 0 << List{tbDaiStart, tbDaiEnd, tbDaiTanka} << false << true;
    QTest::newRow("large off, medium end empty") << 1 << 0 << List{tbChuEnd} << true << false;
    QTest::newRow("both off, only small")
        << 1 << 1 << List{tbDaiStart, tbDaiTanka, tbChuEnd, tbChuTanka} << false << true;
    QTest::newRow("both off, small end empty") << 1 << 1 << List{tbShouEnd} << true << false;
}

void TestRangeOverlap::finishButton_showAndHideRules() {
    QFETCH(int, largeMode);
    QFETCH(int, mediumMode);
    QFETCH(QList<SetupControl>, emptyBoxes);
    QFETCH(bool, visibleBefore);
    QFETCH(bool, visibleAfter);
    JobState job;  // no stored ranges: no overlap, the boxes decide
    job.largeMode = largeMode;
    job.mediumMode = std::int16_t(mediumMode);
    FakePlatform platform;
    FakeSetupScreen screen;
    for (SetupControl box : {tbDaiStart, tbDaiEnd, tbDaiMai, tbDaiTanka, tbChuStart, tbChuEnd,
                             tbChuMai, tbChuTanka, tbShouStart, tbShouEnd, tbShouMai, tbShouTanka})
        screen.texts[box] = emptyBoxes.contains(box) ? QString() : QStringLiteral("1");
    screen.finishVisible = visibleBefore;
    CheckRangeOverlap(job, screen, platform);
    QCOMPARE(screen.finishVisible, visibleAfter);
    QVERIFY(platform.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestRangeOverlap)
#include "tst_range_overlap.moc"
