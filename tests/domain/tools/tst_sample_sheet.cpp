// SPDX-License-Identifier: MIT
#include "domain/tools/sample_sheet.h"
#include "support/job_builder.h"

#include <QtTest>

namespace {

// The cells of a layout as "number:size" per page, pages joined with " | ".
QString cellsText(const SampleSheetLayout& layout) {
    QStringList pages;
    for (const auto& page : layout.pages) {
        QStringList cells;
        for (const SampleSheetCell& cell : page)
            cells << cell.numberText + u':' + cell.sizeText;
        pages << cells.join(u' ');
    }
    return pages.join(QStringLiteral(" | "));
}

QVector<int> range(int first, int last) {
    QVector<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers << n;
    return numbers;
}

}  // namespace

class TestSampleSheet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void grid_takesColumnsAndRows_turnedOnLandscape_data() {
        QTest::addColumn<SampleSheetGrid>("grid");
        QTest::addColumn<SampleSheetOrientation>("orientation");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        using G = SampleSheetGrid;
        using O = SampleSheetOrientation;
        QTest::newRow("2x3 portrait") << G::TwoByThree << O::Portrait << 2 << 3;
        QTest::newRow("3x4 portrait") << G::ThreeByFour << O::Portrait << 3 << 4;
        QTest::newRow("4x5 portrait") << G::FourByFive << O::Portrait << 4 << 5;
        QTest::newRow("2x3 landscape") << G::TwoByThree << O::Landscape << 3 << 2;
        QTest::newRow("3x4 landscape") << G::ThreeByFour << O::Landscape << 4 << 3;
        QTest::newRow("4x5 landscape") << G::FourByFive << O::Landscape << 5 << 4;
    }
    void grid_takesColumnsAndRows_turnedOnLandscape() {
        QFETCH(SampleSheetGrid, grid);
        QFETCH(SampleSheetOrientation, orientation);
        QFETCH(int, columns);
        QFETCH(int, rows);
        const SampleSheetLayout layout =
            layOutSampleSheets(makeJob(), range(1, 61), {grid, orientation, {}});
        QCOMPARE(layout.columns, columns);
        QCOMPARE(layout.rows, rows);
        QCOMPARE(layout.landscape, orientation == SampleSheetOrientation::Landscape);
        // Every page full but the last.
        const int perPage = columns * rows;
        QCOMPARE(layout.pageCount(), (61 + perPage - 1) / perPage);
        for (int page = 0; page + 1 < layout.pageCount(); ++page)
            QCOMPARE(int(layout.pages[page].size()), perPage);
        QCOMPARE(layout.pages.constLast().constLast().number, 61);
        QCOMPARE(layout.photoCount(), 61);
    }

    void numbers_ascendingWithTheirSizes_outOfRangeLeftOutOrMarked_data() {
        QTest::addColumn<QVector<int>>("numbers");
        QTest::addColumn<OutOfRangePhotos>("outOfRange");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("leftOut");
        using R = OutOfRangePhotos;
        // Ranges: large 1-100, medium 101-300, small 301-999; 2 x 3 a page.
        QTest::newRow("sorted, sizes from the ranges")
            << QVector<int>{301, 5, 150, 100, 101, 999, 300} << R::LeftOut
            << "5:大 100:大 101:中 150:中 300:中 301:小 | 999:小" << 0;
        QTest::newRow("out of range left out")
            << QVector<int>{1000, 7, 10000, 350} << R::LeftOut << "7:大 350:小" << 2;
        QTest::newRow("out of range marked") << QVector<int>{1000, 7, 10000, 350} << R::Marked
                                             << "7:大 350:小 1000:範囲外 10000:範囲外" << 0;
        QTest::newRow("a number given twice is shown once")
            << QVector<int>{7, 7, 8} << R::LeftOut << "7:大 8:大" << 0;
        QTest::newRow("nothing in range: no pages")
            << QVector<int>{1000, 2000} << R::LeftOut << "" << 2;
        QTest::newRow("no photos: no pages") << QVector<int>{} << R::Marked << "" << 0;
    }
    void numbers_ascendingWithTheirSizes_outOfRangeLeftOutOrMarked() {
        QFETCH(QVector<int>, numbers);
        QFETCH(OutOfRangePhotos, outOfRange);
        QFETCH(QString, cells);
        QFETCH(int, leftOut);
        const SampleSheetLayout layout = layOutSampleSheets(
            makeJob(), numbers,
            {SampleSheetGrid::TwoByThree, SampleSheetOrientation::Portrait, outOfRange});
        QCOMPARE(cellsText(layout), cells);
        QCOMPARE(layout.leftOut, leftOut);
        for (const auto& page : layout.pages)
            for (const SampleSheetCell& cell : page)
                QCOMPARE(cell.outOfRange, cell.sizeText == SampleSheetTexts::kOutOfRangeMark);
    }

    void overlappingRanges_showEverySize_switchedOffSizeNone() {
        JobState job = makeJob({1, 100, 800, 50, 150, 500, 0, 0, 100});
        QCOMPARE(sizeTextOf(job, 60), QStringLiteral("大・中"));
        QCOMPARE(sizeTextOf(job, 120), QStringLiteral("中"));
        QCOMPARE(sizeTextOf(job, 200), QString());
    }

    void header_namesCustomerAndEvent_pagesNumberedAsTheReports() {
        JobState job = makeJob();
        job.customerName = QStringLiteral("ひまわり幼稚園");
        job.eventName = QStringLiteral("運動会");
        const SampleSheetLayout layout = layOutSampleSheets(
            job, range(1, 25), {SampleSheetGrid::FourByFive, SampleSheetOrientation::Portrait, {}});
        QCOMPARE(layout.title, QStringLiteral("見本写真"));
        QCOMPARE(layout.headerText, QStringLiteral("（得意先名）ひまわり幼稚園　（行事名）運動会"));
        QCOMPARE(layout.pageCount(), 2);
        QCOMPARE(layout.pageText(1), QStringLiteral("1 / 2 ページ"));
        QCOMPARE(layout.pageText(2), QStringLiteral("2 / 2 ページ"));
    }
};

QTEST_GUILESS_MAIN(TestSampleSheet)
#include "tst_sample_sheet.moc"
