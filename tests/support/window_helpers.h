#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

// Types keys where the operator's keystrokes would go: the focused control,
// or the active window when no control has the focus.
inline QWidget* keyTarget() {
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    return QApplication::activeWindow();
}

inline void typeIntoFocus(const QString& keys) {
    for (const QChar c : keys) {
        if (c == u'\r')
            QTest::keyClick(keyTarget(), Qt::Key_Return);
        else if (c == u'\b')
            QTest::keyClick(keyTarget(), Qt::Key_Backspace);
        else
            QTest::keyClick(keyTarget(), c.toLatin1());
    }
}

// Finds a child control by its name, failing the test when it is missing.
template <class W = QWidget>
W* control(QObject* window, const char* name) {
    W* found = window->findChild<W*>(QString::fromLatin1(name));
    if (!found)
        qWarning("no control named %s", name);
    return found;
}
