// SPDX-License-Identifier: MIT
// Who ordered a photo: searches over jobs keyed through the order-entry
// engine and changed by the correction, checked against the reports' counts.

#include "domain/entry/order_entry.h"
#include "domain/entry/record_correction.h"
#include "domain/reports/report_content.h"
#include "domain/tools/photo_search.h"
#include "support/engine_keys.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <memory>

#include <QtTest>

using Hits = QVector<PhotoSearchHit>;
using Outcome = PhotoSearchResult::Outcome;
Q_DECLARE_METATYPE(Hits)

class TestPhotoSearch : public QObject {
    Q_OBJECT

    JobState job;
    FakePlatform platform;

    // Large 1-100 at 800, medium 101-300 at 500, small 301-999 at 100.
    // Pupil 1: 12 twice, 45 (deleted later by the correction).
    // Pupil 2: 12 three times at once, 150, one 12 taken back with "-".
    // Pupil 3: 45, 400.  Pupil 4: 7 (12 added later by the correction).
    // Open entry: 12, 400.
    void keyDay() {
        job = makeJob();
        OrderEntry entry(job, platform);
        entry.Form_Load(QStringLiteral("/nowhere"));
        typeKeys(entry, QStringLiteral("12\r12\r45\r/"));
        typeKeys(entry, QStringLiteral("12"));
        entry.setVScroll1(3);
        typeKeys(entry, QStringLiteral("\r150\r12-\r/45\r400\r/7\r/"));
        RecordCorrection correction(job, platform);
        const auto correct = [&](const char* person, const char* number, bool add) {
            correction.setText1(QString::fromLatin1(person));
            correction.setText2(QString::fromLatin1(number));
            QCOMPARE(add ? correction.Command2_Click() : correction.Command4_Click(),
                     EditOutcome::Done);
        };
        correct("1", "45", false);
        correct("4", "12", true);
        typeKeys(entry, QStringLiteral("12\r400\r"));
        QCOMPARE(job.personCount, Number(4));
    }

private Q_SLOTS:
    void init() {
        platform.clear();
        keyDay();
    }

    void keyedDay_listsThePupilsInOrder_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Hits>("hits");
        QTest::addColumn<int>("pendingOfNumber");
        QTest::addColumn<QString>("summary");
        QTest::newRow("repeats, copies, removal, correction")
            << "12" << Hits{{1, 2, 1600}, {2, 2, 2100}, {4, 1, 1600}} << 1
            << QStringLiteral("写真番号 12：3 人、合計 5 枚");
        QTest::newRow("deleted by the correction")
            << "45" << Hits{{3, 1, 900}} << 0 << QStringLiteral("写真番号 45：1 人、合計 1 枚");
        QTest::newRow("leading zeros")
            << "007" << Hits{{4, 1, 1600}} << 0 << QStringLiteral("写真番号 7：1 人、合計 1 枚");
        QTest::newRow("also in the open entry")
            << "400" << Hits{{3, 1, 900}} << 1 << QStringLiteral("写真番号 400：1 人、合計 1 枚");
        QTest::newRow("nobody") << "99" << Hits{} << 0
                                << QStringLiteral("写真番号 99 を注文した人はいません。");
    }
    void keyedDay_listsThePupilsInOrder() {
        QFETCH(QString, typed);
        QFETCH(Hits, hits);
        QFETCH(int, pendingOfNumber);
        QFETCH(QString, summary);
        const PhotoSearchResult result = searchPhotoNumber(job, typed);
        QCOMPARE(result.outcome, hits.isEmpty() ? Outcome::NobodyOrdered : Outcome::Found);
        QCOMPARE(result.pupils, hits);
        int prints = 0;
        for (const PhotoSearchHit& hit : hits)
            prints += hit.prints;
        QCOMPARE(result.totalPrints, prints);
        QCOMPARE(PhotoSearchTexts::summary(result, job), summary);
        // The open pupil is left out, and the note says so.
        QCOMPARE(result.pendingPrints, 2);
        QCOMPARE(result.pendingPrintsOfNumber, pendingOfNumber);
        QVERIFY(PhotoSearchTexts::pendingNote(result).contains(QStringLiteral("入力中")));
        QCOMPARE(PhotoSearchTexts::pendingNote(result).contains(QStringLiteral("うちこの番号")),
                 pendingOfNumber > 0);
        job.pendingEntry.clear();
        QVERIFY(PhotoSearchTexts::pendingNote(searchPhotoNumber(job, typed)).isEmpty());
    }

    // Registered orders: 7, 12, 45, 150, 400 (the open entry's are left out).
    void orderedNumbersWithoutPhoto_listedAscending() {
        const QVector<int> missing =
            orderedNumbersWithoutPhoto(job, [](int n) { return n == 12 || n == 150; });
        QCOMPARE(missing, QVector<int>({7, 45, 400}));
        QCOMPARE(PhotoSearchTexts::withoutPhoto(missing, 2),
                 QStringLiteral("写真フォルダに写真がない注文番号（3 件）：7、45 ほか 1 件"));
        QVERIFY(PhotoSearchTexts::withoutPhoto({}).isEmpty());
    }

    void notAPhotoNumber_saysSoWithTheRanges_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("zero") << "0";
        QTest::newRow("beyond the counts") << "10001";
        QTest::newRow("in no range") << "1000";
        QTest::newRow("not digits") << "12-";
        QTest::newRow("full-width digits") << QStringLiteral("１２");
    }
    void notAPhotoNumber_saysSoWithTheRanges() {
        QFETCH(QString, typed);
        const PhotoSearchResult result = searchPhotoNumber(job, typed);
        QCOMPARE(result.outcome, Outcome::NotAPhotoNumber);
        QVERIFY(result.pupils.isEmpty());
        const QString text = PhotoSearchTexts::summary(result, job);
        QVERIFY2(text.contains(QStringLiteral("写真番号ではありません")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("小（301 ~ 999）")), qPrintable(text));
        QVERIFY(PhotoSearchTexts::pendingNote(result).isEmpty());
    }

    // Every number's prints are the reports' counts over the registered
    // pupils, also for records as a hand-edited job file may hold them.
    void everyNumber_agreesWithTheReports() {
        job.personRecords[5] = QStringLiteral("(5) 012 12.0  +12 12abc 13 \\.99 12 ");
        job.personRecords[6] = QStringLiteral("(6) 12 301 12");  // no amount, last item unended
        job.personCount = 6;
        const RegisteredOrders orders = collectRegisteredOrders(job);
        for (int n = 1; n <= 999; ++n) {
            const PhotoSearchResult result = searchPhotoNumber(job, QString::number(n));
            QVERIFY(result.outcome != Outcome::NotAPhotoNumber);
            QCOMPARE(Number(result.totalPrints), orders.countByPhoto[n]);
        }
        const PhotoSearchResult twelve = searchPhotoNumber(job, u"12");
        QCOMPARE(twelve.pupils.mid(3), (Hits{{5, 4, 99}, {6, 2, std::nullopt}}));
        QCOMPARE(PhotoSearchTexts::amount(twelve.pupils[4].amount), QString());
    }

    // Pupils tied to the roster carry their class, number and name; the
    // others, and every pupil of a job without a roster, none.
    void tiedPupils_carryTheirNames() {
        JobCompanion companion;
        companion.roster =
            Roster({{"6", "1", 12, "山田 花子", "", ""}, {"6", "2", 3, "佐藤 一郎", "", ""}});
        companion.ties = {{1, 1}, {4, 0}};
        const PhotoSearchResult named = searchPhotoNumber(job, u"12", companion);
        QCOMPARE(named.pupils, (Hits{{1, 2, 1600, QStringLiteral("6年2組 3番  佐藤 一郎")},
                                     {2, 2, 2100, QString()},
                                     {4, 1, 1600, QStringLiteral("6年1組 12番  山田 花子")}}));
        QCOMPARE(searchPhotoNumber(job, u"12").pupils,
                 (Hits{{1, 2, 1600}, {2, 2, 2100}, {4, 1, 1600}}));
    }
};

QTEST_GUILESS_MAIN(TestPhotoSearch)
#include "tst_photo_search.moc"
