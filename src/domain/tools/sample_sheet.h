// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

#include <QString>
#include <QVector>

// The sample sheets: the photos of the job's photo folder on A4 pages, to
// post at the school, each with its photo number in large type and the size
// it is sold in. What goes where is decided here, without any painter.

// How many photos a page takes, as columns by rows on a portrait page; a
// landscape page turns the grid with it (3 by 2, 4 by 3, 5 by 4), so the
// photos keep their size.
enum class SampleSheetGrid { TwoByThree, ThreeByFour, FourByFive };
enum class SampleSheetOrientation { Portrait, Landscape };
// A photo whose number lies outside every size's range: left off the
// sheets, or shown with kOutOfRangeMark.
enum class OutOfRangePhotos { LeftOut, Marked };

struct SampleSheetOptions {
    SampleSheetGrid grid = SampleSheetGrid::ThreeByFour;
    SampleSheetOrientation orientation = SampleSheetOrientation::Portrait;
    OutOfRangePhotos outOfRange = OutOfRangePhotos::LeftOut;
};

// One photo on a page.
struct SampleSheetCell {
    int number = 0;
    QString numberText;  // "132"
    QString sizeText;    // "大", "中・小" where ranges overlap, or kOutOfRangeMark
    bool outOfRange = false;

    friend bool operator==(const SampleSheetCell&, const SampleSheetCell&) = default;
};

// The pages, their cells row by row from the top left.
struct SampleSheetLayout {
    int columns = 0;
    int rows = 0;
    bool landscape = false;
    QString title;       // kSheetTitle
    QString headerText;  // "（得意先名）… （行事名）…"
    QVector<QVector<SampleSheetCell>> pages;
    int leftOut = 0;  // photos out of every range left off

    int pageCount() const { return int(pages.size()); }
    int photoCount() const;
    // "3 / 12 ページ", as the reports number their pages.
    QString pageText(int page) const;
};

namespace SampleSheetTexts {
inline const QString kSheetTitle = QStringLiteral("見本写真");
inline const QString kOutOfRangeMark = QStringLiteral("範囲外");
}  // namespace SampleSheetTexts

int columnsOf(const SampleSheetOptions& options);
int rowsOf(const SampleSheetOptions& options);

// The sizes a photo number is sold in, as the sample sheets and the photo
// preview show them:
// "大", "中", "小", joined with "・" where ranges overlap; empty when none.
QString sizeTextOf(const JobState& job, int number);

// Lays out the photos of these numbers (any order; each once) in ascending
// order over as many pages as they take. No photos: no pages.
SampleSheetLayout layOutSampleSheets(const JobState& job, QVector<int> numbers,
                                     const SampleSheetOptions& options);
