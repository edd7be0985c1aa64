// SPDX-License-Identifier: MIT
#include "domain/tools/sample_sheet.h"

#include "domain/reports/report_document.h"

#include <algorithm>

namespace {

const QString kPageFormat = QStringLiteral("%1 / %2 ページ");
const QString kHeaderGap = QStringLiteral("　");

}  // namespace

int columnsOf(const SampleSheetOptions& options) {
    int columns = 3;
    int rows = 4;
    switch (options.grid) {
        case SampleSheetGrid::TwoByThree:
            columns = 2;
            rows = 3;
            break;
        case SampleSheetGrid::ThreeByFour:
            break;
        case SampleSheetGrid::FourByFive:
            columns = 4;
            rows = 5;
            break;
    }
    return options.orientation == SampleSheetOrientation::Landscape ? rows : columns;
}

int rowsOf(const SampleSheetOptions& options) {
    SampleSheetOptions turned = options;
    turned.orientation = options.orientation == SampleSheetOrientation::Landscape
                             ? SampleSheetOrientation::Portrait
                             : SampleSheetOrientation::Landscape;
    return columnsOf(turned);
}

QString sizeTextOf(const JobState& job, int number) {
    const SizeClass size = sizeClassOf(job, Number(number));
    QStringList names;
    if (size.large)
        names << ReportText::sizeName(PrintSize::Large);
    if (size.medium)
        names << ReportText::sizeName(PrintSize::Medium);
    if (size.small)
        names << ReportText::sizeName(PrintSize::Small);
    return names.join(u'・');
}

int SampleSheetLayout::photoCount() const {
    int count = 0;
    for (const auto& page : pages)
        count += int(page.size());
    return count;
}

QString SampleSheetLayout::pageText(int page) const {
    return kPageFormat.arg(page).arg(pageCount());
}

SampleSheetLayout layOutSampleSheets(const JobState& job, QVector<int> numbers,
                                     const SampleSheetOptions& options) {
    SampleSheetLayout layout;
    layout.columns = columnsOf(options);
    layout.rows = rowsOf(options);
    layout.landscape = options.orientation == SampleSheetOrientation::Landscape;
    layout.title = SampleSheetTexts::kSheetTitle;
    layout.headerText = ReportText::customerLabel + job.customerName.toText() + kHeaderGap +
                        ReportText::eventLabel + job.eventName.toText();

    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    const int perPage = layout.columns * layout.rows;
    for (const int number : std::as_const(numbers)) {
        SampleSheetCell cell{number, QString::number(number), sizeTextOf(job, number), false};
        if (cell.sizeText.isEmpty()) {
            if (options.outOfRange == OutOfRangePhotos::LeftOut) {
                ++layout.leftOut;
                continue;
            }
            cell.sizeText = SampleSheetTexts::kOutOfRangeMark;
            cell.outOfRange = true;
        }
        if (layout.pages.isEmpty() || layout.pages.constLast().size() == perPage)
            layout.pages.append(QVector<SampleSheetCell>());
        layout.pages.last().append(cell);
    }
    return layout;
}
