// SPDX-License-Identifier: MIT
#include "domain/job/history.h"

#include "domain/job/record_items.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kItemsPerRow = 10;
constexpr int kFirstColumnX = 450;
constexpr int kColumnStep = 680;
constexpr int kRowStep = 300;
constexpr int kLoneAmountLift = 250;
constexpr int kUnderlineDrop = 250;
constexpr int kAmountXLong = 7180;   // amount items of 7 characters or more
constexpr int kAmountXShort = 7280;  // amount items of 4 to 6 characters
constexpr int kLabelX = 20;
constexpr int kDashedGuideX = 3700;
constexpr int kSolidGuideX = 7050;

// The registered pupils whose records the history reads: 1..personCount,
// within the slots personRecords has.
int registeredSlots(const JobState& job) {
    const Number last = std::floor(job.personCount);
    const int lastSlot = int(job.personRecords.size()) - 1;
    if (!(last >= 0))
        return 0;
    return last >= lastSlot ? lastSlot : int(last);
}

}  // namespace

RecordLayoutParams historyLayoutParams() {
    RecordLayoutParams params;
    params.pointColour = kPic1Background;
    params.labelColour = std::nullopt;
    params.underlineColour = Palette::cyan;
    params.underlineRight = 8000;
    params.guideColour = Palette::cyan;
    params.guideBottom = 8000;
    params.moveLoneAmountUp = true;
    return params;
}

namespace {

// The pen of one drawing: the print position that every plotted point moves,
// the column and row of the next item, and the box the operations go into.
class RecordPen {
public:
    RecordPen(PictureBox& box, const JobState& job, const RecordLayoutParams& params)
        : box_(box),
          params_(params),
          largeStart_(job.largeStart.value()),
          largeEnd_(job.largeEnd.value()),
          mediumStart_(job.mediumStart.value()),
          mediumEnd_(job.mediumEnd.value()),
          smallStart_(job.smallStart.value()),
          smallEnd_(job.smallEnd) {}

    // Draws one item (with its blank) of a line and moves to the next column.
    void drawItem(const RecordItem& recordItem, const QString& lineText) {
        const QString item = recordItem.withBlank().toString();
        switch (recordItem.kind()) {
            case RecordItem::Kind::Amount:
                drawAmount(item, lineText);
                break;
            case RecordItem::Kind::Label:
                drawLabel(item);
                break;
            case RecordItem::Kind::PhotoNumber:
                drawPhotoNumber(item, recordItem.value());
                break;
        }
        x_ += kColumnStep;
        items_ += 1;
        if (items_ == kItemsPerRow) {
            x_ = kFirstColumnX;
            y_ += kRowStep;
            items_ = 0;
        }
    }

    // Ends a line of the record. A row whose tenth item already moved the
    // position down takes no further space; an empty line takes none either.
    void endLine() {
        if (items_ == 0)
            y_ -= kRowStep;
        items_ = 0;
        x_ = kFirstColumnX;
        y_ += kRowStep;
    }

    void drawGuides() {
        line(kDashedGuideX, 0, kDashedGuideX, params_.guideBottom, params_.guideColour,
             LineStyle::Dash);
        line(kSolidGuideX, 0, kSolidGuideX, params_.guideBottom, params_.guideColour,
             LineStyle::Solid);
    }

private:
    void drawAmount(const QString& item, const QString& lineText) {
        if (params_.moveLoneAmountUp && lineText.startsWith(u'\\'))
            y_ -= kLoneAmountLift;
        box_.foreColour = params_.pointColour;
        plot(x_, y_);
        if (item.size() >= 7)
            plot(kAmountXLong, y_);
        else if (item.size() >= 4)
            plot(kAmountXShort, y_);
        box_.foreColour = Palette::blue;
        print(item);
        line(0, y_ + kUnderlineDrop, params_.underlineRight, y_ + kUnderlineDrop,
             params_.underlineColour, LineStyle::Solid);
    }

    // Small type at the left margin, taking no column.
    void drawLabel(const QString& item) {
        fontPoints_ = kLabelFontPoints;
        if (params_.labelColour)
            box_.foreColour = params_.pointColour;
        plot(kLabelX, y_);
        if (params_.labelColour)
            box_.foreColour = *params_.labelColour;
        print(item);
        fontPoints_ = kHistoryFontPoints;
        x_ -= kColumnStep;
        items_ -= 1;
    }

    // Coloured by its size; in no size it keeps the point colour and cannot
    // be seen.
    void drawPhotoNumber(const QString& item, Number value) {
        box_.foreColour = params_.pointColour;
        plot(x_, y_);
        if (largeStart_ <= value && value <= largeEnd_)
            box_.foreColour = Palette::white;
        if (mediumStart_ <= value && value <= mediumEnd_)
            box_.foreColour = Palette::lightBlue;
        if (smallStart_ <= value && value <= smallEnd_)
            box_.foreColour = Palette::black;
        print(item);
    }

    void plot(int px, int py) {
        box_.ops.push_back({DrawOp::Kind::Point, px, py, 0, 0, box_.foreColour, {}, 0, {}});
        printX_ = px;
        printY_ = py;
    }
    void print(const QString& text) {
        box_.ops.push_back(
            {DrawOp::Kind::Text, printX_, printY_, 0, 0, box_.foreColour, text, fontPoints_, {}});
    }
    void line(int x1, int y1, int x2, int y2, Rgb colour, LineStyle style) {
        box_.ops.push_back({DrawOp::Kind::Line, x1, y1, x2, y2, colour, {}, 0, style});
    }

    PictureBox& box_;
    const RecordLayoutParams& params_;
    const Number largeStart_, largeEnd_, mediumStart_, mediumEnd_, smallStart_, smallEnd_;
    int fontPoints_ = kHistoryFontPoints;
    int printX_ = 0;
    int printY_ = 0;
    int x_ = kFirstColumnX;
    int y_ = 10;
    int items_ = 0;
};

}  // namespace

void drawRecordLines(PictureBox& box, std::span<const QString> lines, const JobState& job,
                     const RecordLayoutParams& params) {
    box.clear();
    RecordPen pen(box, job, params);
    QString carried;  // an item a line did not end goes on into the next line
    for (const QString& text : lines) {
        const QString joined = carried.isEmpty() ? QString() : carried + text;
        const QStringView walked = carried.isEmpty() ? QStringView(text) : QStringView(joined);
        carried = forEachRecordItem(walked, [&](const RecordItem& item) {
                      pen.drawItem(item, text);
                  }).toString();
        pen.endLine();
    }
    pen.drawGuides();
}

int countRecordRows(QStringView record) {
    int rows = 0;
    int counted = 0;
    forEachRecordItem(record, [&](const RecordItem& item) {
        if (item.endsWithLabelBracket())
            return;
        if (++counted == kItemsPerRow) {
            ++rows;
            counted = 0;
        }
    });
    return rows + 1;
}

int HistoryRows::rowsOf(const JobState& job, int slot) {
    if (cache_.size() <= size_t(slot))
        cache_.resize(slot + 1);
    Cached& cached = cache_[slot];
    const QString& record = job.personRecords[slot];
    // A record that was replaced holds other data than the shared copy kept
    // here; the copy keeps its own data alive, so equal data means equal text.
    // An empty record has no data of its own (every empty text shares one),
    // so a slot not yet counted is counted whatever it holds.
    if (!cached.counted || cached.record.constData() != record.constData() ||
        cached.record.size() != record.size()) {
        cached.record = record;
        cached.rows = countRecordRows(record);
        cached.counted = true;
    }
    return cached.rows;
}

int HistoryRows::countRows(const JobState& job) {
    const int persons = registeredSlots(job);
    int rows = 0;
    for (int p = 1; p <= persons; ++p)
        rows += rowsOf(job, p);
    return rows;
}

int HistoryRows::fillHistoryLines(JobState& job, Number firstRow, std::optional<Number> lastRow,
                                  int clearCount) {
    const int lineSlots = JobState::kHistoryLineSlots;
    for (int i = 1; i <= std::min(clearCount, lineSlots); ++i)
        job.historyLines[i].clear();

    const int persons = registeredSlots(job);
    int rowCounter = 0;
    int linesUsed = 0;
    for (int p = 1; p <= persons; ++p) {
        // A record whose rows all come before firstRow is only counted.
        const int rows = rowsOf(job, p);
        if (rowCounter + rows < firstRow) {
            rowCounter += rows;
            continue;
        }
        const QString& record = job.personRecords[p];
        qsizetype rowStart = 0;
        int counted = 0;
        // Ends the row made of record[rowStart, end); false once past lastRow.
        const auto endRow = [&](qsizetype end) {
            ++rowCounter;
            if (lastRow && rowCounter > *lastRow)
                return false;
            if (rowCounter >= firstRow && linesUsed < lineSlots)
                job.historyLines[++linesUsed].append(
                    QStringView(record).mid(rowStart, end - rowStart));
            rowStart = end;
            counted = 0;
            return true;
        };
        bool pastLastRow = false;
        forEachRecordItem(record, [&](const RecordItem& item) {
            if (item.endsWithLabelBracket() || ++counted < kItemsPerRow)
                return true;
            pastLastRow = !endRow(item.end());
            return !pastLastRow;
        });
        if (pastLastRow || !endRow(record.size()))
            return rowCounter;
    }
    return rowCounter;
}
