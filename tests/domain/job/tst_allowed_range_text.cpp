// SPDX-License-Identifier: MIT
#include "domain/job/allowed_range_text.h"
#include "domain/job/job_state.h"
#include "support/job_builder.h"

#include <QTest>

class TestAllowedRangeText : public QObject {
    Q_OBJECT

private slots:
    void modes_listSetUpSizesOnly_data();
    void modes_listSetUpSizesOnly();
    void fieldsHeldAsText_readAsPlainNumbers();
    void switchedOffSizes_rangesIgnoredEvenWhenFilled();
};

void TestAllowedRangeText::modes_listSetUpSizesOnly_data() {
    QTest::addColumn<int>("largeMode");
    QTest::addColumn<int>("mediumMode");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all three sizes")
        << 0 << 0 << QStringLiteral("大（1 ~ 100） と中（101 ~ 200） と 小（201 ~ 500）");
    QTest::newRow("large and small")
        << 0 << 1 << QStringLiteral("大（1 ~ 100） と 小（201 ~ 500）");
    QTest::newRow("medium and small")
        << 1 << 0 << QStringLiteral("中（101 ~ 200） と 小（201 ~ 500）");
    QTest::newRow("small alone") << 1 << 1 << QStringLiteral(" 小（201 ~ 500）");
}

void TestAllowedRangeText::modes_listSetUpSizesOnly() {
    QFETCH(int, largeMode);
    QFETCH(int, mediumMode);
    QFETCH(QString, expected);

    JobState job = makeJob({1, 100, 800, 101, 200, 500, 201, 500, 100});
    job.largeMode = largeMode;
    job.mediumMode = std::int16_t(mediumMode);
    QCOMPARE(AllowedRangeText(job), expected);
}

void TestAllowedRangeText::fieldsHeldAsText_readAsPlainNumbers() {
    // The job file and the setup screen may deliver the ranges as texts;
    // the list shows their numbers without leading zeros or blanks, and
    // large numbers without digit grouping.
    JobState job = makeJob();
    job.largeMode = QStringLiteral("0");
    job.largeStart = QStringLiteral(" 0001");
    job.largeEnd = QStringLiteral("1000");
    job.mediumStart = QStringLiteral("1001");
    job.mediumEnd = 4999.0;
    job.smallStart = QStringLiteral("5000 ");
    job.smallEnd = 9999;
    QCOMPARE(AllowedRangeText(job),
             QStringLiteral("大（1 ~ 1000） と中（1001 ~ 4999） と 小（5000 ~ 9999）"));
}

void TestAllowedRangeText::switchedOffSizes_rangesIgnoredEvenWhenFilled() {
    // The small size alone, 1 to 500, while the switched-off sizes still
    // carry old ranges: only the mode decides, and the leading blank stays.
    JobState job = makeJob({1, 100, 800, 101, 200, 500, 1, 500, 100});
    job.largeMode = QStringLiteral("1");
    job.mediumMode = 1;
    QCOMPARE(AllowedRangeText(job), QStringLiteral(" 小（1 ~ 500）"));
}

QTEST_APPLESS_MAIN(TestAllowedRangeText)
#include "tst_allowed_range_text.moc"
