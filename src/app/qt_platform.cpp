#include "app/qt_platform.h"

#include "app/window_registry.h"
#include "app/qt_platform_reports.h"
#include "core/form1.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QSoundEffect>
#include <QUrl>

QtPlatform::~QtPlatform() {
    qDeleteAll(effects_);
}

void QtPlatform::beep() {
    QApplication::beep();
}

QSoundEffect* QtPlatform::effectFor(const QString& path) {
    if (QSoundEffect* effect = effects_.value(path))
        return effect;
    auto* effect = new QSoundEffect;
    effect->setSource(QUrl::fromLocalFile(path));
    effects_.insert(path, effect);
    return effect;
}

void QtPlatform::preloadSound(const QString& path) {
    if (QFileInfo::exists(path))
        effectFor(path);
}

void QtPlatform::playSound(const QString& path) {
    // A missing file gives the system beep, as the classic sound call does.
    if (!QFileInfo::exists(path)) {
        beep();
        return;
    }
    QSoundEffect* effect = effectFor(path);
    if (effect->status() == QSoundEffect::Error) {
        beep();
        return;
    }
    // Restarts a sound still playing; never waits for it.
    effect->play();
}

void QtPlatform::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void QtPlatform::showAlertWindow(AlertWindow window) {
    // The correction screen opens its own alert over itself.
    if (windows_ && window != AlertWindow::frmTAlert)
        windows_->get<Form1>().openAlertWindow(window);
}

void QtPlatform::previewReport(const QString& title, std::function<void(QPrinter*)> paint) {
    QWidget* parent = windows_ ? windows_->find<Form1>() : nullptr;
    showReportPreview(parent, title, std::move(paint));
}
