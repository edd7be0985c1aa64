// SPDX-License-Identifier: MIT
// The figures of the three reports, taken from jobs keyed in through the
// order-entry engine, and the texts of the documents built from them.

#include "domain/entry/order_entry.h"
#include "domain/reports/report_content.h"
#include "domain/reports/report_document.h"
#include "support/fake_platform.h"
#include "support/job_builder.h"

#include <numeric>

#include <QtTest>

Q_DECLARE_METATYPE(PupilOrderBy)

namespace {

// Keys the text into the input screen's engine: digits, "\r" for Enter,
// "/" to close a pupil.
void keyIn(OrderEntry& entry, const QString& keys) {
    for (const QChar c : keys)
        entry.Form_KeyPress(c == u'\r' ? OrderEntry::kKeyEnter : c.unicode());
}

Number sumOf(const QVector<PupilOrder>& pupils, Number PupilOrder::*field) {
    return std::accumulate(pupils.begin(), pupils.end(), Number(0),
                           [&](Number sum, const PupilOrder& p) { return sum + p.*field; });
}

Number printsIn(const SizeSection& section) {
    Number sum = 0;
    for (const PhotoCount& c : section.photos)
        sum += c.prints;
    return sum;
}

const SizeSection* sectionOf(const QVector<SizeSection>& sections, PrintSize size) {
    for (const SizeSection& s : sections) {
        if (s.summary.size == size)
            return &s;
    }
    return nullptr;
}

Number countOf(const SizeSection& section, int photoNumber) {
    for (const PhotoCount& c : section.photos) {
        if (c.photoNumber == photoNumber)
            return c.prints;
    }
    return -1;  // not listed
}

}  // namespace

class TestReportContent : public QObject {
    Q_OBJECT

    JobState job;
    FakePlatform platform;
    std::unique_ptr<OrderEntry> entry;

    void startJob(const JobRanges& ranges) {
        job = makeJob(ranges);
        job.customerName = QStringLiteral("桜ヶ丘小学校");
        job.eventName = QStringLiteral("遠足");
        job.shootingDate = QStringLiteral("2024/05/10");
        job.photographerName = QStringLiteral("佐藤");
        platform.clear();
        entry = std::make_unique<OrderEntry>(job, platform);
        entry->Form_Load(QStringLiteral("/nowhere"));
    }

private slots:
    void init() { startJob({}); }

    void recordPhotoNumbers_readsTheTokensBetweenLabelAndAmount_data();
    void recordPhotoNumbers_readsTheTokensBetweenLabelAndAmount();
    void allSizes_countsEveryRegisteredPrint();
    void openPupil_isLeftOutAndTotalsAreSumsOverPupils();
    void mediumSwitchedOff_hasNoMediumAnywhere();
    void noPupil_listsTheRangesWithZeros();
    void numberInNoRange_isListedButNeverCharged();
    void fractionalPrice_amountsStayExact();
    void documents_useTheReportTextsExactly();
    void pupilDocument_marksEachSizeWithoutColour();
    void documents_noteWhatIsLeftOut();
    void pupilReport_namesTiedPupilsInTheOrderAsked_data();
    void pupilReport_namesTiedPupilsInTheOrderAsked();
    void pupilReport_withoutNames_isTheReportAsItWas();
};

void TestReportContent::recordPhotoNumbers_readsTheTokensBetweenLabelAndAmount_data() {
    QTest::addColumn<QString>("record");
    QTest::addColumn<QVector<Number>>("numbers");
    QTest::newRow("plain") << QStringLiteral("(3) 12 12 45 \\.1500 ")
                           << QVector<Number>{12, 12, 45};
    QTest::newRow("leading zeros") << QStringLiteral("(1) 007 \\.100 ") << QVector<Number>{7};
    QTest::newRow("empty record") << QStringLiteral("(2) \\.0 ") << QVector<Number>{};
    QTest::newRow("bare slot label") << QStringLiteral("(9) ") << QVector<Number>{};
    QTest::newRow("no amount marker") << QStringLiteral("(4) 5 6 ") << QVector<Number>{5, 6};
    QTest::newRow("no label") << QStringLiteral("5 6 \\.1 ") << QVector<Number>{5, 6};
    QTest::newRow("amount digits not read")
        << QStringLiteral("(5) 301 \\.100 ") << QVector<Number>{301};
    QTest::newRow("junk token") << QStringLiteral("(10) 12abc x 45 \\.900 ")
                                << QVector<Number>{12, 45};
    QTest::newRow("empty text") << QString() << QVector<Number>{};
}

void TestReportContent::recordPhotoNumbers_readsTheTokensBetweenLabelAndAmount() {
    QFETCH(QString, record);
    QFETCH(QVector<Number>, numbers);
    QCOMPARE(recordPhotoNumbers(record), numbers);
}

void TestReportContent::allSizes_countsEveryRegisteredPrint() {
    // Large 1-100 at 800, medium 101-300 at 500, small 301-999 at 100.
    keyIn(*entry, QStringLiteral("12\r12\r45\r150\r301\r/"));
    keyIn(*entry, QStringLiteral("150\r999\r1\r/"));
    QCOMPARE(job.personCount, 2);

    const RegisteredOrders orders = collectRegisteredOrders(job);
    QCOMPARE(orders.header.customerName, QStringLiteral("桜ヶ丘小学校"));
    QCOMPARE(orders.pupils.size(), 2);
    QCOMPARE(orders.pupils[0].prints, (QVector<PupilPrint>{{12, PrintSize::Large},
                                                           {12, PrintSize::Large},
                                                           {45, PrintSize::Large},
                                                           {150, PrintSize::Medium},
                                                           {301, PrintSize::Small}}));
    QCOMPARE(orders.pupils[0].amount, 3 * 800 + 500 + 100);
    QCOMPARE(orders.pupils[1].amount, 500 + 100 + 800);
    // The engine stored the same amounts in the records.
    QVERIFY(job.personRecords[1].endsWith(QStringLiteral("\\.3000 ")));
    QVERIFY(job.personRecords[2].endsWith(QStringLiteral("\\.1400 ")));

    const OrderCountReport counts = buildOrderCountReport(job);
    QCOMPARE(counts.sections.size(), 3);
    const SizeSection& large = *sectionOf(counts.sections, PrintSize::Large);
    const SizeSection& medium = *sectionOf(counts.sections, PrintSize::Medium);
    const SizeSection& small = *sectionOf(counts.sections, PrintSize::Small);
    // Every number of each range is listed, zeros included, in order.
    QCOMPARE(large.photos.size(), 100);
    QCOMPARE(medium.photos.size(), 200);
    QCOMPARE(small.photos.size(), 699);
    QCOMPARE(large.photos.first().photoNumber, 1);
    QCOMPARE(large.photos.last().photoNumber, 100);
    QCOMPARE(small.photos.last().photoNumber, 999);
    QCOMPARE(countOf(large, 12), 2);
    QCOMPARE(countOf(large, 13), 0);
    QCOMPARE(countOf(medium, 150), 2);
    QCOMPARE(countOf(small, 999), 1);
    QCOMPARE(large.summary.prints, 4);
    QCOMPARE(medium.summary.prints, 2);
    QCOMPARE(small.summary.prints, 2);
    QCOMPARE(large.summary.unitPrice, 800);
    QCOMPARE(large.summary.amount(), 3200);
    QCOMPARE(counts.totalAmount, 3200 + 1000 + 200);
    QCOMPARE(counts.personCount, 2);

    // With nothing open, the figures are the job's own totals.
    QCOMPARE(large.summary.prints, job.largeTotalPrints);
    QCOMPARE(medium.summary.prints, job.mediumTotalPrints);
    QCOMPARE(small.summary.prints, Number(job.smallTotalPrints));
    for (int n = 1; n <= 999; ++n)
        QCOMPARE(orders.countByPhoto[n], Number(job.printCounts[n]));

    const ReprintReport reprints = buildReprintReport(job);
    QCOMPARE(reprints.sections.size(), 3);
    QCOMPARE(sectionOf(reprints.sections, PrintSize::Large)->photos,
             (QVector<PhotoCount>{{1, 1}, {12, 2}, {45, 1}}));
    QCOMPARE(sectionOf(reprints.sections, PrintSize::Large)->summary.photosOrdered, 3);
    QCOMPARE(sectionOf(reprints.sections, PrintSize::Medium)->photos,
             (QVector<PhotoCount>{{150, 2}}));
    QCOMPARE(sectionOf(reprints.sections, PrintSize::Medium)->summary.photosOrdered, 1);
    QCOMPARE(sectionOf(reprints.sections, PrintSize::Small)->photos,
             (QVector<PhotoCount>{{301, 1}, {999, 1}}));
    QCOMPARE(sectionOf(reprints.sections, PrintSize::Small)->summary.prints, 2);
}

void TestReportContent::openPupil_isLeftOutAndTotalsAreSumsOverPupils() {
    keyIn(*entry, QStringLiteral("12\r150\r301\r/"));
    keyIn(*entry, QStringLiteral("12\r12\r500\r/"));
    keyIn(*entry, QStringLiteral("12\r7\r250\r250\r600\r"));  // keyed, not closed
    QCOMPARE(job.personCount, 2);
    QVERIFY(!job.pendingEntry.isEmpty());
    QCOMPARE(job.printCounts[12], 4);  // the open pupil's print is in the counts

    const RegisteredOrders orders = collectRegisteredOrders(job);
    QCOMPARE(orders.pendingPrints, 5);
    QCOMPARE(orders.countByPhoto[12], 3);
    QCOMPARE(orders.countByPhoto[7], 0);
    QCOMPARE(orders.countByPhoto[250], 0);

    const OrderCountReport counts = buildOrderCountReport(orders);
    const PupilReport pupils = buildPupilReport(orders);
    const ReprintReport reprints = buildReprintReport(orders);
    QCOMPARE(pupils.pupils.size(), 2);
    QCOMPARE(counts.pendingPrints, 5);

    // Each report's totals are the sums over its pupils...
    const std::pair<PrintSize, Number PupilOrder::*> sizes[] = {
        {PrintSize::Large, &PupilOrder::largePrints},
        {PrintSize::Medium, &PupilOrder::mediumPrints},
        {PrintSize::Small, &PupilOrder::smallPrints}};
    for (const auto& [size, field] : sizes) {
        const Number overPupils = sumOf(pupils.pupils, field);
        QCOMPARE(sectionOf(counts.sections, size)->summary.prints, overPupils);
        QCOMPARE(printsIn(*sectionOf(counts.sections, size)), overPupils);
        QCOMPARE(sectionOf(reprints.sections, size)->summary.prints, overPupils);
        QCOMPARE(printsIn(*sectionOf(reprints.sections, size)), overPupils);
        for (const SizeSummary& s : pupils.sizes) {
            if (s.size == size)
                QCOMPARE(s.prints, overPupils);
        }
    }
    // ...and the job's totals less the open pupil's prints (2 large, 2 medium, 1 small).
    QCOMPARE(sectionOf(counts.sections, PrintSize::Large)->summary.prints,
             job.largeTotalPrints - 2);
    QCOMPARE(sectionOf(counts.sections, PrintSize::Medium)->summary.prints,
             job.mediumTotalPrints - 2);
    QCOMPARE(sectionOf(counts.sections, PrintSize::Small)->summary.prints,
             Number(job.smallTotalPrints) - 1);

    // The total amount is the sum of the pupils' amounts.
    const Number amounts = sumOf(pupils.pupils, &PupilOrder::amount);
    QCOMPARE(amounts, Number(800 + 500 + 100 + 2 * 800 + 100));
    QCOMPARE(counts.totalAmount, amounts);
    QCOMPARE(pupils.totalAmount, amounts);
    // 250 is ordered by the open pupil only: the reprint list does not have it.
    QCOMPARE(countOf(*sectionOf(reprints.sections, PrintSize::Medium), 250), -1);
    QCOMPARE(countOf(*sectionOf(counts.sections, PrintSize::Medium), 250), 0);
}

void TestReportContent::mediumSwitchedOff_hasNoMediumAnywhere() {
    startJob({1, 100, 800, 0, 0, 0, 301, 999, 100});
    keyIn(*entry, QStringLiteral("5\r400\r400\r/"));

    const OrderCountReport counts = buildOrderCountReport(job);
    QCOMPARE(counts.sections.size(), 2);
    QCOMPARE(counts.sections[0].summary.size, PrintSize::Large);
    QCOMPARE(counts.sections[1].summary.size, PrintSize::Small);
    QCOMPARE(counts.totalAmount, 800 + 2 * 100);
    QCOMPARE(buildReprintReport(job).sections.size(), 2);
    const PupilReport pupils = buildPupilReport(job);
    QCOMPARE(pupils.sizes.size(), 2);

    for (const ReportDocument& doc : {orderCountDocument(counts), pupilDocument(pupils),
                                      reprintDocument(buildReprintReport(job))}) {
        const QString all = documentTexts(doc).join(u'\n');
        QVERIFY2(!all.contains(QStringLiteral("（中）")), qPrintable(doc.title));
        QVERIFY2(!all.contains(QStringLiteral("中 ")), qPrintable(doc.title));
    }
    // Only large switched off: the small size alone.
    startJob({0, 0, 0, 101, 300, 500, 301, 999, 100});
    keyIn(*entry, QStringLiteral("301\r/"));
    const OrderCountReport smallAndMedium = buildOrderCountReport(job);
    QCOMPARE(smallAndMedium.sections.size(), 2);
    QCOMPARE(smallAndMedium.sections[0].summary.size, PrintSize::Medium);
}

void TestReportContent::noPupil_listsTheRangesWithZeros() {
    const OrderCountReport counts = buildOrderCountReport(job);
    QCOMPARE(counts.sections.size(), 3);
    for (const SizeSection& s : counts.sections) {
        QVERIFY(!s.photos.isEmpty());
        QCOMPARE(printsIn(s), 0);
        QCOMPARE(s.summary.prints, 0);
    }
    QCOMPARE(counts.totalAmount, 0);
    QCOMPARE(counts.personCount, 0);

    const PupilReport pupils = buildPupilReport(job);
    QVERIFY(pupils.pupils.isEmpty());
    QCOMPARE(pupils.totalAmount, 0);
    QVERIFY(documentTexts(pupilDocument(pupils))
                .contains(QStringLiteral("登録された注文はありません。")));

    const ReprintReport reprints = buildReprintReport(job);
    QCOMPARE(reprints.sections.size(), 3);
    for (const SizeSection& s : reprints.sections)
        QVERIFY(s.photos.isEmpty());
    QCOMPARE(documentTexts(reprintDocument(reprints)).count(QStringLiteral("注文なし")), 3);

    // A fresh, unset job (every range 0 to 0) lists no numbers at all.
    const OrderCountReport unset = buildOrderCountReport(JobState());
    QCOMPARE(unset.sections.size(), 3);
    for (const SizeSection& s : unset.sections)
        QVERIFY(s.photos.isEmpty());
}

void TestReportContent::numberInNoRange_isListedButNeverCharged() {
    // A loaded record may hold a number outside every range.
    job.personRecords[1] = QStringLiteral("(1) 12 5000 301 \\.900 ");
    job.personCount = 1;
    job.lastRecordSlot = 1;
    const RegisteredOrders orders = collectRegisteredOrders(job);
    QCOMPARE(orders.pupils[0].prints.size(), 3);
    QVERIFY(!orders.pupils[0].prints[1].size.has_value());
    QCOMPARE(orders.pupils[0].unsizedPrints, 1);
    QCOMPARE(orders.pupils[0].amount, 800 + 100);
    QCOMPARE(orders.totalAmount, 800 + 100);
    QCOMPARE(orders.unsizedPrints, 1);
    QCOMPARE(orders.totalPrints(), 3);
    QCOMPARE(orders.countByPhoto[5000], 1);

    const ReportDocument doc = pupilDocument(buildPupilReport(orders));
    const QString all = documentTexts(doc).join(u'\n');
    QVERIFY(all.contains(QStringLiteral("12 ※5000 301")));
    QVERIFY(all.contains(QStringLiteral("範囲外 1 枚")));

    // Slots past personCount (bare labels after a load) are no pupils.
    job.personRecords[2] = QStringLiteral("(2) ");
    job.personRecords[3] = QStringLiteral("(3) 12 \\.800 ");
    QCOMPARE(collectRegisteredOrders(job).pupils.size(), 1);
}

void TestReportContent::fractionalPrice_amountsStayExact() {
    job.largeUnitPrice = QStringLiteral("10.5");
    keyIn(*entry, QStringLiteral("1\r2\r3\r/"));
    const OrderCountReport counts = buildOrderCountReport(job);
    QCOMPARE(counts.totalAmount, 31.5);
    QVERIFY(documentTexts(orderCountDocument(counts))
                .contains(QStringLiteral("☆合計金額・・・31.5 円")));
}

void TestReportContent::documents_useTheReportTextsExactly() {
    keyIn(*entry, QStringLiteral("12\r12\r45\r150\r301\r/"));
    const RegisteredOrders orders = collectRegisteredOrders(job);

    const QStringList order = documentTexts(orderCountDocument(buildOrderCountReport(orders)));
    const QStringList pupil = documentTexts(pupilDocument(buildPupilReport(orders)));
    const QStringList reprint = documentTexts(reprintDocument(buildReprintReport(orders)));
    const QString rule82 = QString(82, u'_');
    const QString rule72 = QString(72, u'_');
    for (const QStringList& texts : {order, pupil, reprint}) {
        QVERIFY(texts.contains(QStringLiteral("（得意先名）桜ヶ丘小学校")));
        QVERIFY(texts.contains(QStringLiteral("（行事名）遠足")));
        QVERIFY(texts.contains(QStringLiteral("（撮影年月日）2024/05/10")));
        QVERIFY(texts.contains(QStringLiteral("（撮影者）佐藤")));
        QCOMPARE(texts.count(rule82), 1);
        QCOMPARE(texts.count(rule72), 1);
    }
    QVERIFY(order.contains(QStringLiteral("☆全受注数（大）・・・3 枚\t2400 円")));
    QVERIFY(order.contains(QStringLiteral("☆全受注数（中）・・・1 枚\t500 円")));
    QVERIFY(order.contains(QStringLiteral("☆全受注数（小）・・・1 枚\t100 円")));
    QVERIFY(order.contains(QStringLiteral("☆合計金額・・・3000 円")));
    QVERIFY(order.contains(QStringLiteral("12\t2")));
    QVERIFY(order.contains(QStringLiteral("13\t0")));

    QVERIFY(pupil.contains(QStringLiteral("(1)\t12 12 45 150 301")));
    QVERIFY(pupil.contains(QStringLiteral("大 3 枚　中 1 枚　小 1 枚\t3000 円")));
    QVERIFY(pupil.contains(QStringLiteral("☆合計金額・・・3000 円")));

    QVERIFY(reprint.contains(QStringLiteral("☆やきまし注文数（大）・・・3 枚\t写真 2 点")));
    QVERIFY(reprint.contains(QStringLiteral("☆やきまし注文数（中）・・・1 枚\t写真 1 点")));
    QVERIFY(reprint.contains(QStringLiteral("☆やきまし注文数（小）・・・1 枚\t写真 1 点")));
    QVERIFY(!reprint.contains(QStringLiteral("13\t0")));
    QVERIFY(!reprint.join(u'\n').contains(QStringLiteral("☆合計金額")));
}

void TestReportContent::pupilDocument_marksEachSizeWithoutColour() {
    keyIn(*entry, QStringLiteral("12\r150\r301\r/"));
    const ReportDocument doc = pupilDocument(buildPupilReport(job));
    const PupilBlock* block = nullptr;
    const LegendBlock* legend = nullptr;
    for (const ReportBlock& b : doc.blocks) {
        if (!block)
            block = std::get_if<PupilBlock>(&b);
        if (!legend)
            legend = std::get_if<LegendBlock>(&b);
    }
    QVERIFY(block && legend);
    QCOMPARE(block->label, QStringLiteral("(1)"));
    QCOMPARE(block->numbers, (QVector<MarkedNumber>{{QStringLiteral("12"), NumberMark::Boxed},
                                                    {QStringLiteral("150"), NumberMark::Underlined},
                                                    {QStringLiteral("301"), NumberMark::Plain}}));
    // The key shows each mark with its size, and the three marks differ.
    QCOMPARE(legend->items.size(), 3);
    QCOMPARE(legend->items[0].first.mark, NumberMark::Boxed);
    QCOMPARE(legend->items[0].second, QStringLiteral("大"));
    QCOMPARE(legend->items[1].first.mark, NumberMark::Underlined);
    QCOMPARE(legend->items[1].second, QStringLiteral("中"));
    QCOMPARE(legend->items[2].first.mark, NumberMark::Plain);
    QCOMPARE(legend->items[2].second, QStringLiteral("小"));
}

void TestReportContent::documents_noteWhatIsLeftOut() {
    keyIn(*entry, QStringLiteral("12\r/"));
    keyIn(*entry, QStringLiteral("13\r14\r"));
    const QString note =
        QStringLiteral("※入力中でまだ登録されていない 2 枚は、この表に含まれていません。");
    const RegisteredOrders orders = collectRegisteredOrders(job);
    QVERIFY(documentTexts(orderCountDocument(buildOrderCountReport(orders))).contains(note));
    QVERIFY(documentTexts(pupilDocument(buildPupilReport(orders))).contains(note));
    QVERIFY(documentTexts(reprintDocument(buildReprintReport(orders))).contains(note));
    QVERIFY(documentTexts(reprintDocument(buildReprintReport(orders)))
                .contains(QStringLiteral("登録人数 1 人")));

    keyIn(*entry, QStringLiteral("/"));
    QVERIFY(
        !documentTexts(orderCountDocument(buildOrderCountReport(job))).join(u'\n').contains(u'※'));
}

void TestReportContent::pupilReport_namesTiedPupilsInTheOrderAsked_data() {
    QTest::addColumn<PupilOrderBy>("order");
    QTest::addColumn<QStringList>("lines");  // each pupil's first line
    // Pupils 1 to 6 keyed, each ordering their own number; 3 and 6 untied,
    // 5 a second slip of pupil 1's child.
    const QString one = QStringLiteral("6年１０組 1番  一"), two = QStringLiteral("6年2組 5番  二"),
                  four = QStringLiteral("2組 7番  四");
    QTest::newRow("keyed") << PupilOrderBy::Keyed
                           << QStringList{"(1) " + one + "\t1",  "(2) " + two + "\t2", "(3)\t3",
                                          "(4) " + four + "\t4", "(5) " + one + "\t5", "(6)\t6"};
    QTest::newRow("class and number") << PupilOrderBy::ClassAndNumber
                                      << QStringList{"(4) " + four + "\t4",
                                                     "(2) " + two + "\t2",
                                                     "(1) " + one + "\t1",
                                                     "(5) " + one + "\t5",
                                                     "(3)\t3",
                                                     "(6)\t6"};
}

void TestReportContent::pupilReport_namesTiedPupilsInTheOrderAsked() {
    QFETCH(PupilOrderBy, order);
    QFETCH(QStringList, lines);
    for (int pupil = 1; pupil <= 6; ++pupil)
        keyIn(*entry, QString::number(pupil) + QStringLiteral("\r/"));
    // The class as the school writes it, in order by its value ("１０" after
    // "2"), "年" not doubled; no grade before the others.
    const PupilName one{"6", "１０", 1, "一"};
    const PupilNames names = {
        {1, one}, {2, {"6年", "2", 5, "二"}}, {4, {"", "2", 7, "四"}}, {5, one}};
    QStringList shown;
    for (const QString& line : documentTexts(pupilDocument(buildPupilReport(job, names, order))))
        if (line.startsWith(u'('))
            shown << line;
    QCOMPARE(shown, lines);
}

// Without a roster, or with one that names nobody, the report is the one
// the job has always printed, in either order.
void TestReportContent::pupilReport_withoutNames_isTheReportAsItWas() {
    keyIn(*entry, QStringLiteral("12\r150\r/301\r/5\r5\r/"));
    const QStringList asItWas = documentTexts(pupilDocument(buildPupilReport(job)));
    for (const PupilOrderBy order : {PupilOrderBy::Keyed, PupilOrderBy::ClassAndNumber}) {
        const ReportDocument doc = pupilDocument(buildPupilReport(job, {}, order));
        QCOMPARE(documentTexts(doc), asItWas);
        for (const ReportBlock& block : doc.blocks)
            if (const auto* pupil = std::get_if<PupilBlock>(&block))
                QVERIFY(pupil->name.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestReportContent)
#include "tst_report_content.moc"
