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

void drawRecordLines(PictureBox& box, std::span<const QString> lines, const JobState& job,
                     const RecordLayoutParams& params) {
    box.clear();
    int fontPoints = kHistoryFontPoints;
    int printX = 0;  // the print position, moved by every plotted point
    int printY = 0;
    const auto plot = [&](int px, int py) {
        box.ops.push_back({DrawOp::Kind::Point, px, py, 0, 0, box.foreColour, {}, 0, {}});
        printX = px;
        printY = py;
    };
    const auto print = [&](const QString& text) {
        box.ops.push_back(
            {DrawOp::Kind::Text, printX, printY, 0, 0, box.foreColour, text, fontPoints, {}});
    };
    const auto line = [&](int x1, int y1, int x2, int y2, Rgb colour, LineStyle style) {
        box.ops.push_back({DrawOp::Kind::Line, x1, y1, x2, y2, colour, {}, 0, style});
    };

    const Number largeStart = job.largeStart.value(), largeEnd = job.largeEnd.value();
    const Number mediumStart = job.mediumStart.value(), mediumEnd = job.mediumEnd.value();
    const Number smallStart = job.smallStart.value(), smallEnd = job.smallEnd;

    // Draws one item (with its blank) and moves to the next column.
    int x = kFirstColumnX;
    int y = 10;
    int items = 0;
    const auto drawItem = [&](const RecordItem& recordItem, const QString& lineText) {
        const QString item = recordItem.withBlank().toString();
        switch (recordItem.kind()) {
            case RecordItem::Kind::Amount:
                if (params.moveLoneAmountUp && lineText.startsWith(u'\\'))
                    y -= kLoneAmountLift;
                box.foreColour = params.pointColour;
                plot(x, y);
                if (item.size() >= 7)
                    plot(kAmountXLong, y);
                else if (item.size() >= 4)
                    plot(kAmountXShort, y);
                box.foreColour = Palette::blue;
                print(item);
                line(0, y + kUnderlineDrop, params.underlineRight, y + kUnderlineDrop,
                     params.underlineColour, LineStyle::Solid);
                break;
            case RecordItem::Kind::Label:
                // Small type at the left margin, taking no column.
                fontPoints = kLabelFontPoints;
                if (params.labelColour)
                    box.foreColour = params.pointColour;
                plot(kLabelX, y);
                if (params.labelColour)
                    box.foreColour = *params.labelColour;
                print(item);
                fontPoints = kHistoryFontPoints;
                x -= kColumnStep;
                items -= 1;
                break;
            case RecordItem::Kind::PhotoNumber: {
                // Coloured by its size; in no size it keeps the point colour
                // and cannot be seen.
                box.foreColour = params.pointColour;
                plot(x, y);
                const Number v = recordItem.value();
                if (largeStart <= v && v <= largeEnd)
                    box.foreColour = Palette::white;
                if (mediumStart <= v && v <= mediumEnd)
                    box.foreColour = Palette::lightBlue;
                if (smallStart <= v && v <= smallEnd)
                    box.foreColour = Palette::black;
                print(item);
                break;
            }
        }
        x += kColumnStep;
        items += 1;
        if (items == kItemsPerRow) {
            x = kFirstColumnX;
            y += kRowStep;
            items = 0;
        }
    };

    QString carried;  // an item a line did not end goes on into the next line
    for (const QString& text : lines) {
        const QString joined = carried.isEmpty() ? QString() : carried + text;
        const QStringView walked = carried.isEmpty() ? QStringView(text) : QStringView(joined);
        carried = forEachRecordItem(walked, [&](const RecordItem& item) {
                      drawItem(item, text);
                  }).toString();
        // A row whose tenth item already moved the position down takes no
        // further space; an empty line takes none either.
        if (items == 0)
            y -= kRowStep;
        items = 0;
        x = kFirstColumnX;
        y += kRowStep;
    }
    line(kDashedGuideX, 0, kDashedGuideX, params.guideBottom, params.guideColour, LineStyle::Dash);
    line(kSolidGuideX, 0, kSolidGuideX, params.guideBottom, params.guideColour, LineStyle::Solid);
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
