// SPDX-License-Identifier: MIT
#include "gui/activation_tracker.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

ActivationTracker& ActivationTracker::instance() {
    static QPointer<ActivationTracker> tracker;
    if (!tracker)
        tracker = new ActivationTracker(qApp);
    return *tracker;
}

ActivationTracker::ActivationTracker(QObject* parent) : QObject(parent) {
    last_ = see(QGuiApplication::focusWindow());
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            &ActivationTracker::focusWindowChanged);
}

// A window of the program is a top-level widget of one of the program's own
// window classes: Qt's message boxes and standard dialogs, popups and tool
// tips are not.
ActivationTracker::Seen ActivationTracker::see(QWindow* window) {
    Seen seen{window, false};
    if (!window)
        return seen;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (const QWidget* widget : topLevels) {
        if (widget->windowHandle() != window)
            continue;
        const Qt::WindowType type = widget->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen)
            break;
        // A window that never takes the keys (the photo preview) is only
        // looked at: the operator does not come from it.
        if (widget->windowFlags() & Qt::WindowDoesNotAcceptFocus)
            break;
        const bool qtDialog = qobject_cast<const QDialog*>(widget) &&
                              QByteArray(widget->metaObject()->className()).startsWith('Q');
        seen.programWindow = !qtDialog;
        break;
    }
    return seen;
}

void ActivationTracker::focusWindowChanged(QWindow* window) {
    if (window)
        last_ = see(window);
}

bool ActivationTracker::cameFromProgramWindow(const QWidget* window) const {
    return last_.programWindow && last_.window != window->windowHandle();
}
