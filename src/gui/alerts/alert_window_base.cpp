// SPDX-License-Identifier: MIT
#include "gui/alerts/alert_window_base.h"

#include "gui/window_registry.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QWindow>

namespace {

constexpr int kKeyEscape = 27;
constexpr int kWarningPictureSize = 32;

// A Japanese Gothic face: the first of these that the system has.
const QStringList kGothicFamilies = {
    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Yu Gothic UI"),
    QStringLiteral("MS UI Gothic"),     QStringLiteral("Meiryo UI"),
    QStringLiteral("IPAGothic"),        QStringLiteral("VL Gothic"),
};

// The character code of a key as the key handling sees it: 27 for Esc, else
// the first character the key typed (0 when it typed none).
int keyAsciiOf(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Escape)
        return kKeyEscape;
    const QString text = event.text();
    return text.isEmpty() ? 0 : text.front().unicode();
}

}  // namespace

AlertWindowBase::AlertWindowBase(RunContext& context) : QWidget(nullptr), context(context) {
    // A small fixed dialog-style frame with a close button, no minimise or
    // maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QFont gothic = font();
    gothic.setFamilies(kGothicFamilies);
    gothic.setPointSize(12);
    setFont(gothic);
}

AlertWindowBase::~AlertWindowBase() {
    // Destroyed while open (the end of a run): never leave the owner dead.
    if (open_ && owner_)
        owner_->setEnabled(true);
}

void AlertWindowBase::setWarningPicture(QLabel* image) {
    image->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kWarningPictureSize));
    image->setAlignment(Qt::AlignCenter);
}

void AlertWindowBase::openOver(QWidget* owner, QWidget* focusBack) {
    // Opened again over another screen while still open: the first owner
    // must not stay disabled.
    if (open_ && owner_ && owner_ != owner)
        owner_->setEnabled(true);
    owner_ = owner;
    focusBack_ = focusBack;
    open_ = true;
    if (owner_) {
        owner_->setEnabled(false);
        keepAboveOwner();
        // In the middle of the owner, where the operator is looking.
        const QRect ownerFrame = owner_->window()->frameGeometry();
        move(ownerFrame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void AlertWindowBase::keepAboveOwner() {
    // A transient window stays above its transient parent (and, on Windows,
    // belongs to it) without being its child.
    QWindow* ownerWindow = owner_->window()->windowHandle();
    if (!ownerWindow)
        return;  // the owner has never been shown: nothing to stay above
    winId();     // makes the native window, so that it has a handle
    if (QWindow* own = windowHandle())
        own->setTransientParent(ownerWindow);
}

void AlertWindowBase::keyPressEvent(QKeyEvent* event) {
    // Every key ends here: none may reach the screen below.
    event->accept();
    Form_KeyPress(keyAsciiOf(*event));
}

void AlertWindowBase::Form_KeyPress(int keyAscii) {
    if (keyAscii == kKeyEscape || keyAscii == '/')
        close();
}

void AlertWindowBase::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

void AlertWindowBase::Form_Unload() {
    if (!open_)
        return;
    open_ = false;
    // Hidden first, so that its going away does not take the activation
    // from the owner again.
    hide();
    if (owner_) {
        owner_->setEnabled(true);
        QWidget* ownerWindow = owner_->window();
        ownerWindow->show();
        ownerWindow->raise();
        ownerWindow->activateWindow();
    }
    if (focusBack_)
        focusBack_->setFocus(Qt::OtherFocusReason);
    emit closed();
    unloadFromRegistry();
}
