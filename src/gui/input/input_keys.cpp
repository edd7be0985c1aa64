// SPDX-License-Identifier: MIT
#include "gui/input/input_keys.h"

#include "domain/entry/order_entry.h"

#include <QKeyEvent>

int keyAsciiOf(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return OrderEntry::kKeyEnter;
        case Qt::Key_Backspace:
            return OrderEntry::kKeyBackSpace;
        case Qt::Key_Escape:
            return 27;
        default:
            break;
    }
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() != 0x7f)
        return text[0].unicode();
    // Some platforms send keypad keys without text.
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    switch (key) {
        case Qt::Key_Minus:
            return '-';
        case Qt::Key_Slash:
            return '/';
        case Qt::Key_Asterisk:
            return '*';
        case Qt::Key_Period:
            return '.';
        case Qt::Key_Equal:
            return '=';
        case Qt::Key_Plus:
            return '+';
        default:
            return 0;
    }
}

int keyCodeOf(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Up:
            return OrderEntry::kKeyUp;
        case Qt::Key_Down:
            return OrderEntry::kKeyDown;
        default:
            return 0;
    }
}
