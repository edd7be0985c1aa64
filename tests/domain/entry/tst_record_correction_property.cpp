// SPDX-License-Identifier: MIT
#include "domain/entry/order_entry.h"
#include "domain/entry/record_correction.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <array>

#include <QRandomGenerator>
#include <QtTest>

// Random adds and deletes on random pupils, mixed with refused input: after
// every one, each photo number's count must equal its prints in all records
// and the open entry, every total the sum of its counts, and every record's
// amount its photo numbers priced by size.
class TestRecordCorrectionProperty : public QObject {
    Q_OBJECT

    static QString randomPhotoNumber(QRandomGenerator& random) {
        const int roll = random.bounded(100);
        if (roll < 40)
            return QString::number(1 + random.bounded(999));  // in some range
        if (roll < 60)
            return QString::number(1 + random.bounded(12));  // a few numbers, often repeated
        if (roll < 70)
            return QStringLiteral("0") + QString::number(1 + random.bounded(12));  // leading zero
        if (roll < 75)
            return QString::number(1000 + random.bounded(9000));  // outside every range
        static const QStringList junk = {"",  "0",  "1 2", "+5", "5)", "5\\",
                                         ")", "\\", "2.5", "-3", "a",  "7\""};
        return junk[random.bounded(junk.size())];
    }

    // The amount a record's photo numbers come to.
    static Number pricedItems(const QString& record, const JobState& job) {
        Number amount = 0;
        for (const int n : photoTokens(record.left(record.indexOf(u'\\')))) {
            const SizeClass size = sizeClassOf(job, n);
            amount += size.large * job.largeUnitPrice.value() +
                      size.medium * job.mediumUnitPrice.value() +
                      size.small * Number(job.smallUnitPrice);
        }
        return amount;
    }

private Q_SLOTS:
    void randomEdits_keepCountsTotalsAndAmountsInStep_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 7u, 20260101u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }

    void randomEdits_keepCountsTotalsAndAmountsInStep() {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        JobState job = makeJob({1, 5, 800, 6, 10, 500, 11, 999, 100});
        FakePlatform platform;
        OrderEntry engine(job, platform);
        engine.Form_Load(QStringLiteral("/x"));
        constexpr int kPersons = 12;
        for (int p = 0; p < kPersons; ++p) {
            QList<int> numbers;
            for (int i = random.bounded(6); i > 0; --i)
                numbers << 1 + random.bounded(15);
            keyPerson(engine, numbers);
        }
        typeKeys(engine, QStringLiteral("3\r3\r12\r"));  // an open entry
        const QString openEntry = job.pendingEntry;
        const QString openAmount = job.pendingAmountText;

        std::array<SizeClass, JobState::kMaxPhotoNumber + 1> sizes{};
        for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
            sizes[n] = sizeClassOf(job, n);

        RecordCorrection correction(job, platform);
        int done = 0;
        for (int step = 0; step < 3000; ++step) {
            if (random.bounded(4) == 0)
                correction.setText1(QString::number(random.bounded(kPersons + 3)));
            correction.setText2(randomPhotoNumber(random));
            const EditOutcome outcome =
                random.bounded(2) ? correction.Command2_Click() : correction.Command4_Click();
            if (outcome == EditOutcome::OutOfRange)
                correction.alertClosed();
            done += outcome == EditOutcome::Done;

            std::array<int, JobState::kMaxPhotoNumber + 1> expected{};
            for (int p = 1; p <= int(job.personCount); ++p)
                for (const int n : photoTokens(job.personRecords[p]))
                    ++expected[n];
            for (const int n : photoTokens(job.pendingEntry))
                ++expected[n];
            Number large = 0, medium = 0, small = 0, grand = 0;
            for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
                if (job.printCounts[n] != expected[n])
                    QFAIL(qPrintable(QStringLiteral("step %1: printCounts[%2] is %3, prints %4")
                                         .arg(step)
                                         .arg(n)
                                         .arg(job.printCounts[n])
                                         .arg(expected[n])));
                const SizeClass& size = sizes[n];
                large += size.large * expected[n];
                medium += size.medium * expected[n];
                small += size.small * expected[n];
                grand += expected[n];
            }
            QCOMPARE(job.largeTotalPrints, large);
            QCOMPARE(job.mediumTotalPrints, medium);
            QCOMPARE(Number(job.smallTotalPrints), small);
            QCOMPARE(job.grandTotalPrints, grand);

            for (int p = 1; p <= int(job.personCount); ++p) {
                const QString& record = job.personRecords[p];
                QVERIFY(record.startsWith(QStringLiteral("(%1) ").arg(p)));
                QVERIFY(record.endsWith(u' '));
                const qsizetype marker = record.indexOf(kAmountMarker);
                QVERIFY(marker > 0);
                QCOMPARE(record.count(u'\\'), 1);
                QCOMPARE(readNumber(QStringView(record).mid(marker + 2)), pricedItems(record, job));
                QVERIFY(photoNumbersIn(record) <= RecordCorrection::kMaxRecordPrints);
            }
            QCOMPARE(job.pendingEntry, openEntry);
            QCOMPARE(job.pendingAmountText, openAmount);
        }
        QVERIFY2(done > 300, "too few edits went through to prove anything");
    }
};

QTEST_MAIN(TestRecordCorrectionProperty)
#include "tst_record_correction_property.moc"
