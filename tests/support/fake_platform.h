#pragma once

#include "core/platform.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Records what the program asked of the outside world instead of doing it.
class FakePlatform : public Platform {
public:
    // One recorded call, in order: "beep", "sound:<file name>",
    // "message:<text>", "alert:frmAlert" and so on.
    QStringList calls;
    int beeps = 0;
    QStringList sounds;    // file names without their directory
    QStringList messages;  // message box texts
    QVector<AlertWindow> alerts;

    // Runs when an alert window is asked for (a test may close it at once).
    std::function<void(AlertWindow)> onAlert;
    // Runs while a message box would be open.
    std::function<void(const QString&)> onMessage;

    // Report previews asked for: their titles, and the paint function of
    // the latest, which printLastReport() runs on a PDF printer.
    QStringList reportTitles;
    std::function<void(QPrinter*)> lastReportPaint;

    void beep() override;
    void playSound(const QString& path) override;
    void showMessage(const QString& text) override;
    void showAlertWindow(AlertWindow window) override;
    void previewReport(const QString& title, std::function<void(QPrinter*)> paint) override;

    // Prints the latest previewed report into a PDF file, on an A4 printer
    // as the preview sets it up. False when no report was previewed.
    bool printLastReport(const QString& pdfPath);

    void clear();
};

QString alertWindowName(AlertWindow window);
