// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

class QWidget;

// Tells apart the ways a window of the program becomes active. Qt sends
// WindowActivate when the operator comes to it from another window of the
// program, but also when a message box or standard dialog over it closes,
// when a popup menu goes away and when the operator comes back from another
// program. Only the first is the window *becoming active*.
class ActivationTracker : public QObject {
    Q_OBJECT
public:
    // The one tracker of the application; it follows the focus window from
    // its first use on.
    static ActivationTracker& instance();

    // Asked while `window` handles its WindowActivate (which Qt sends before
    // it announces the new focus window): whether the last window that had
    // the focus was another window of the program, and not a message box, a
    // standard dialog, a popup, or the window itself (coming back from
    // another program). A window that has just been closed or unloaded still
    // counts: the operator comes from it.
    bool cameFromProgramWindow(const QWidget* window) const;

private:
    explicit ActivationTracker(QObject* parent);
    void focusWindowChanged(QWindow* window);

    struct Seen {
        QPointer<QWindow> window;
        bool programWindow = false;
    };
    static Seen see(QWindow* window);

    // The last window that had the focus. The moments in between, when no
    // window of the program has it (another program is in front, or a
    // window has just been hidden), do not count.
    Seen last_;
};
