// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job/job_state.h"

#include <optional>
#include <span>
#include <vector>

#include <QString>
#include <QVector>

// ---- Colours ---------------------------------------------------------------

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Numbers of the classic 16-colour palette that the drawings use.
namespace Palette {
inline constexpr Rgb black{0, 0, 0};        // 0
inline constexpr Rgb blue{0, 0, 128};       // 1
inline constexpr Rgb cyan{0, 128, 128};     // 3
inline constexpr Rgb red{128, 0, 0};        // 4
inline constexpr Rgb lightBlue{0, 0, 255};  // 9
inline constexpr Rgb white{255, 255, 255};  // 15
}  // namespace Palette

// ---- Drawing operations ----------------------------------------------------

enum class LineStyle { Solid, Dash };

// One operation of a picture box, in twips from its top left corner.
struct DrawOp {
    enum class Kind { Point, Text, Line };
    Kind kind = Kind::Point;
    int x = 0;  // point, text's top left corner, line start
    int y = 0;
    int x2 = 0;  // line end
    int y2 = 0;
    Rgb colour;
    QString text;                        // Text only
    int fontPoints = 0;                  // Text only
    LineStyle style = LineStyle::Solid;  // Line only

    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

// What a picture box holds: its drawing, and its text colour, which outlives
// a clear (a label drawn without a colour of its own takes whatever colour
// the box used last).
struct PictureBox {
    QVector<DrawOp> ops;
    Rgb foreColour = Palette::black;
    int revision = 0;  // grows on every redraw, so a window repaints only when needed

    void clear() {
        ops.clear();
        ++revision;
    }
};

// ---- Record layout ---------------------------------------------------------

// The parameters of the one drawing of pupil records. The history list and
// the correction screen's record pictures differ only in these.
struct RecordLayoutParams {
    Rgb pointColour;                 // colour of the plotted points (background = invisible)
    std::optional<Rgb> labelColour;  // pupil label; none keeps the box's current colour
    Rgb underlineColour;             // the rule under each pupil's amount...
    int underlineRight = 0;          // ...drawn from x = 0 to here
    Rgb guideColour;                 // the dashed and the solid vertical guides...
    int guideBottom = 0;             // ...drawn from y = 0 to here
    bool moveLoneAmountUp = false;   // an amount alone on its row goes up beside the row above
};

inline constexpr int kHistoryFontPoints = 11;
inline constexpr int kLabelFontPoints = 8;
inline constexpr Rgb kPic1Background{0, 192, 192};

// The history list's parameters (the input screen's Pic1).
RecordLayoutParams historyLayoutParams();

// Clears the box and draws the lines with the record layout: photo numbers
// in ten columns coloured by size, the pupil label small at the left, the
// amount at the right with a rule under it, and the two vertical guides.
void drawRecordLines(PictureBox& box, std::span<const QString> lines, const JobState& job,
                     const RecordLayoutParams& params);

// ---- History rows ----------------------------------------------------------

// The number of history rows of one record: a row ends after ten counted
// items (every blank-ended item but the pupil label) and at the record's end.
int countRecordRows(QStringView record);

// Cuts the registered records into history rows. It remembers each record's
// row count, so that a close or an activation at a full job only reads the
// records that changed; the results are those of reading every record.
class HistoryRows {
public:
    // The rows of records 1..personCount.
    int countRows(const JobState& job);

    // FillHistoryLines: empties historyLines 1..clearCount, then copies every
    // row numbered firstRow..lastRow (lastRow open when not given) into the
    // next display line from line 1 on. Stops once a row above lastRow has
    // been formed. Returns the last value of the row counter.
    int fillHistoryLines(JobState& job, Number firstRow, std::optional<Number> lastRow,
                         int clearCount);

private:
    int rowsOf(const JobState& job, int slot);

    struct Cached {
        QString record;  // a shared copy: the same data means the same text
        int rows = 0;
        bool counted = false;
    };
    std::vector<Cached> cache_;
};
