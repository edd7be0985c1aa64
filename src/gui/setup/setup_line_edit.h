// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>

// Whether a focus change with this reason means the operator (or the
// program) moved on to another control of the window. A message box, a menu
// or another window taking the focus for a moment does not leave the field.
bool isLeavingFocusReason(Qt::FocusReason reason);

// A text box of the setup screen that reports each key with a character and
// its being left, the two events its handlers react to.
class SetupLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    // Runs the handling of the box being left, for a focus move that Qt makes
    // without a focus-out event (the window coming back into use).
    void notifyLeft() { emit left(); }

    // Takes the focus from the box without the box being left: the program
    // is about to hide it.
    void giveUpFocusQuietly();

signals:
    // A key with a character, before the box takes it; Enter is 13 and is
    // not otherwise used by the box.
    void keyPressed(int keyAscii);

    // The focus moved to another control of the window.
    void left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool quiet_ = false;
};
