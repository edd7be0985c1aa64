// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QString>
#include <QVector>

// A Code 128 symbol as its bars, in modules (the narrowest bar's width)
// from the symbol's left edge, without the quiet zones around it. Scanners
// read the slips' pupil codes from it; the printed slips draw it bar by bar.
struct BarcodeBar {
    int start = 0;
    int width = 0;
    friend bool operator==(const BarcodeBar&, const BarcodeBar&) = default;
};

struct Code128Symbol {
    int modules = 0;  // the symbol's width
    QVector<BarcodeBar> bars;
};

// The quiet zone a scanner needs on either side of the symbol, in modules.
inline constexpr int kCode128QuietModules = 10;

// The symbol of a text of printable ASCII; none for a text Code 128 cannot
// carry or longer than a slip's code ever is (80 characters).
std::optional<Code128Symbol> code128Symbol(const QString& text);
