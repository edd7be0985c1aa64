// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The three print sizes, each with its row on the setup screen.
enum class SizeRow { Large, Medium, Small };

// The controls of the setup screen that its handlers read, write or focus.
enum class SetupControl {
    tbDaiStart,
    tbDaiEnd,
    tbDaiMai,
    tbDaiTanka,
    tbChuStart,
    tbChuEnd,
    tbChuMai,
    tbChuTanka,
    tbShouStart,
    tbShouEnd,
    tbShouMai,
    tbShouTanka,
    tbTokuisaki,
    tbGyouji,
    tbSatueibi,
    tbSatueisha,
    Command2,
};

// The boxes of one size's row.
struct RowControls {
    SetupControl start;
    SetupControl end;
    SetupControl count;
    SetupControl price;
};

constexpr RowControls rowControls(SizeRow row) {
    switch (row) {
        case SizeRow::Large:
            return {SetupControl::tbDaiStart, SetupControl::tbDaiEnd, SetupControl::tbDaiMai,
                    SetupControl::tbDaiTanka};
        case SizeRow::Medium:
            return {SetupControl::tbChuStart, SetupControl::tbChuEnd, SetupControl::tbChuMai,
                    SetupControl::tbChuTanka};
        case SizeRow::Small:
            break;
    }
    return {SetupControl::tbShouStart, SetupControl::tbShouEnd, SetupControl::tbShouMai,
            SetupControl::tbShouTanka};
}

// The setup screen as its handlers see it. The window implements it with its
// real controls; setting a box's text behaves like the program setting it:
// a change of a price box or of tbShouEnd runs that box's change handling at
// once, nested, and only when the text really changes.
class SetupScreen {
public:
    virtual ~SetupScreen() = default;

    virtual QString text(SetupControl box) const = 0;
    virtual void setText(SetupControl box, const QString& text) = 0;

    // The finish button Command2.
    virtual bool isFinishVisible() const = 0;
    virtual void setFinishVisible(bool visible) = 0;

    // Moves the focus to a control; the control that had it is left.
    virtual void setFocusTo(SetupControl control) = 0;

    // Shows or hides a size's whole row (large and medium only).
    virtual void setRowVisible(SizeRow row, bool visible) = 0;

    // Makes a size's price title and price box visible.
    virtual void showPrice(SizeRow row) = 0;
};
