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

    // Asked while `window` handles its WindowActivate: whether the window
    // that had the focus before it was another window of the program (not a
    // message box, a standard dialog, a popup, or nothing).
    bool cameFromProgramWindow(const QWidget* window) const;

private:
    explicit ActivationTracker(QObject* parent);
    void focusWindowChanged(QWindow* window);

    struct Seen {
        QPointer<QWindow> window;
        bool programWindow = false;
    };
    static Seen see(QWindow* window);

    Seen current_;
    Seen previous_;
};
