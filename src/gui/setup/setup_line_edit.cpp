// SPDX-License-Identifier: MIT
#include "gui/setup/setup_line_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

bool isLeavingFocusReason(Qt::FocusReason reason) {
    switch (reason) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            return true;
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
        case Qt::MenuBarFocusReason:
        case Qt::NoFocusReason:
            return false;
    }
    return false;
}

void SetupLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit keyPressed(13);
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty()) {
        // The handler may move the focus or change the window; the key still
        // goes to this box, as long as the box exists.
        QPointer<SetupLineEdit> self(this);
        emit keyPressed(text.at(0).unicode());
        if (!self)
            return;
    }
    QLineEdit::keyPressEvent(event);
}

void SetupLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Hiding or disabling the box that has the focus makes Qt pass the focus
    // on, reported like a Tab: the program is switching the box off, the
    // operator did not leave it.
    const bool switchedOff = !isVisibleTo(window()) || !isEnabled();
    if (isLeavingFocusReason(event->reason()) && !switchedOff && !quiet_)
        emit left();
}

void SetupLineEdit::giveUpFocusQuietly() {
    quiet_ = true;
    clearFocus();
    quiet_ = false;
}
