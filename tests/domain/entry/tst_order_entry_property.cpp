// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <algorithm>
#include <array>

#include <QRandomGenerator>
#include <QtTest>

// Thousands of random keystrokes against a job: after every one, each
// photo number's count must equal its prints in the records and the open
// entry, and every total must equal the sum of its counts.
class TestOrderEntryProperty : public QObject {
    Q_OBJECT

    static int randomKey(QRandomGenerator& random) {
        const int roll = random.bounded(100);
        if (roll < 50)
            return '0' + random.bounded(10);
        if (roll < 70)
            return OrderEntry::kKeyEnter;
        if (roll < 77)
            return '-';
        if (roll < 82)
            return OrderEntry::kKeyBackSpace;
        if (roll < 87)
            return '/';
        if (roll < 89)
            return random.bounded(2) ? '*' : '=';
        if (roll < 91)
            return '.';
        if (roll < 93)
            return random.bounded(2) ? '+' : 'a';
        return -1;  // not a character: a copy count or an arrow key
    }

private Q_SLOTS:
    void randomKeystrokes_keepCountsAndTotalsInStep_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 20261207u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }

    void randomKeystrokes_keepCountsAndTotalsInStep() {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        JobState job = makeJob({1, 100, 800, 150, 300, 500, 301, 999, 100});
        FakePlatform platform;
        OrderEntry engine(job, platform);
        platform.onAlert = [&](AlertWindow) { engine.alertClosed(); };
        engine.Form_Load(QStringLiteral("/x"));
        engine.Form_Activate();

        // Which sizes each photo number belongs to: the ranges do not change.
        std::array<SizeClass, JobState::kMaxPhotoNumber + 1> sizes{};
        for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
            sizes[n] = sizeClassOf(job, n);

        // Counts of the registered records, kept up to date as pupils close.
        std::array<std::int16_t, JobState::kMaxPhotoNumber + 1> recorded{};
        int personsSeen = 0;

        for (int step = 0; step < 20000; ++step) {
            const int key = randomKey(random);
            if (key >= 0) {
                engine.Form_KeyPress(key);
            } else {
                const int roll = random.bounded(10);
                if (roll < 6)
                    engine.setVScroll1(1 + random.bounded(5));
                else
                    engine.Form_KeyDown(roll < 8 ? OrderEntry::kKeyUp : OrderEntry::kKeyDown);
            }

            QVERIFY2(job.personCount == job.lastRecordSlot, qPrintable(QString::number(step)));
            for (; personsSeen < int(job.personCount); ++personsSeen)
                for (const int n : photoTokens(job.personRecords[personsSeen + 1]))
                    ++recorded[n];

            auto expected = recorded;
            const QVector<int> open = photoTokens(job.pendingEntry);
            QVERIFY(open.size() <= JobState::kMaxEntryPrints);
            for (const int n : open)
                ++expected[n];

            if (expected != job.printCounts) {
                int n = 1;
                while (expected[n] == job.printCounts[n])
                    ++n;
                QFAIL(qPrintable(QStringLiteral("step %1: count of %2 is %3, prints %4")
                                     .arg(step)
                                     .arg(n)
                                     .arg(job.printCounts[n])
                                     .arg(expected[n])));
            }
            double grand = 0, large = 0, medium = 0, small = 0;
            for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
                grand += expected[n];
                large += sizes[n].large ? expected[n] : 0;
                medium += sizes[n].medium ? expected[n] : 0;
                small += sizes[n].small ? expected[n] : 0;
            }
            QCOMPARE(job.grandTotalPrints, grand);
            QCOMPARE(job.largeTotalPrints, large);
            QCOMPARE(job.mediumTotalPrints, medium);
            QCOMPARE(double(job.smallTotalPrints), small);
            QVERIFY(engine.display().List1.size() <= 11);
        }
        // The run must have exercised the interesting paths.
        QVERIFY(job.personCount > 50);
        QVERIFY(!platform.alerts.isEmpty());
        QVERIFY(
            std::any_of(platform.messages.cbegin(), platform.messages.cend(),
                        [](const QString& m) { return m.startsWith(u"データがありません！"); }));
    }
};

QTEST_APPLESS_MAIN(TestOrderEntryProperty)
#include "tst_order_entry_property.moc"
