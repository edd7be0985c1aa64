#include "support/fake_platform.h"

#include <QFileInfo>

QString alertWindowName(AlertWindow window) {
    switch (window) {
        case AlertWindow::frmAlert:
            return QStringLiteral("frmAlert");
        case AlertWindow::frmStop:
            return QStringLiteral("frmStop");
        case AlertWindow::frmTAlert:
            return QStringLiteral("frmTAlert");
    }
    return {};
}

void FakePlatform::beep() {
    ++beeps;
    calls << QStringLiteral("beep");
}

void FakePlatform::playSound(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    sounds << name;
    calls << QStringLiteral("sound:") + name;
}

void FakePlatform::showMessage(const QString& text) {
    messages << text;
    calls << QStringLiteral("message:") + text;
    if (onMessage)
        onMessage(text);
}

void FakePlatform::showAlertWindow(AlertWindow window) {
    alerts << window;
    calls << QStringLiteral("alert:") + alertWindowName(window);
    if (onAlert)
        onAlert(window);
}

void FakePlatform::clear() {
    calls.clear();
    beeps = 0;
    sounds.clear();
    messages.clear();
    alerts.clear();
}
