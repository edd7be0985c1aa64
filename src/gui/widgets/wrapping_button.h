// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

// A command button whose caption wraps inside the button, character by
// character where it must, like the narrow paging buttons of the input
// screen ("↑前へ" stands in a button one character wide).
class WrappingButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};
