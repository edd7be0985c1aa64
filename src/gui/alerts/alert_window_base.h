// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
struct RunContext;

// What the three alert windows (frmAlert, frmTAlert, frmStop) share. Each is
// a small top-level window shown modeless over a screen, its owner, which it
// disables while it is open; it is not a child of the owner, so that
// disabling the owner leaves the alert usable, and it is kept above the
// owner as a transient window. Esc or "/" closes it, any other key does
// nothing, and so does its close button; closing enables the owner, shows
// and activates it, and unloads the window, so that its next showing starts
// afresh.
class AlertWindowBase : public QWidget {
    Q_OBJECT

public:
    ~AlertWindowBase() override;

    // True from open() until the window has closed.
    bool isOpen() const { return open_; }

signals:
    // The window has closed: its owner is enabled and asked to be active.
    void closed();

protected:
    explicit AlertWindowBase(RunContext& context);

    // Called by each window once its controls exist: the warning picture.
    void setWarningPicture(QLabel* image);

    // Disables the owner and shows the window above it, active. When the
    // window closes, the focus goes into focusBack (if given).
    void openOver(QWidget* owner, QWidget* focusBack);

    // Drops the window from the window registry (destroying it later); each
    // window names its own class.
    virtual void unloadFromRegistry() = 0;

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    RunContext& context;

private:
    void Form_KeyPress(int keyAscii);
    void Form_Unload();
    void keepAboveOwner();

    QPointer<QWidget> owner_;
    QPointer<QWidget> focusBack_;
    bool open_ = false;
};
