// SPDX-License-Identifier: MIT
#pragma once

#include "app/sound_player.h"
#include "domain/platform/platform.h"

#include <QString>

class QFont;

class WindowRegistry;

// The real platform: the system beep, wave files through the sound player,
// message boxes, the alert windows through the window registry, and Qt's
// file dialogs with Japanese captions.
class QtPlatform : public Platform {
public:
    explicit QtPlatform(WindowRegistry* windows = nullptr);
    ~QtPlatform() override;

    void setWindows(WindowRegistry* windows) { windows_ = windows; }

    void beep() override;
    void playSound(const QString& path) override;
    void showMessage(const QString& text) override;
    using Platform::askQuestion;
    bool askQuestion(const QString& text, DefaultAnswer defaultAnswer) override;
    int askChoice(const QString& text, const QStringList& answers, int defaultAnswer,
                  int escapeAnswer) override;
    void showAlertWindow(AlertWindow window) override;
    void previewReport(const QString& title, std::shared_ptr<PrintDocument> document) override;
    QString chooseFileToOpen(const QString& caption, const QStringList& filters,
                             const QString& selectedFilter) override;
    QString chooseFileToSave(const QString& caption, const QString& suggestedPath,
                             const QStringList& filters) override;
    QString chooseFolder(const QString& caption, const QString& startDirectory) override;
    void endProgram() override;

    // Loads a wave file ahead of its first use, so that playing it never
    // waits for the file.
    void preloadSound(const QString& path);

    // The title of every message box.
    static const QString kMessageTitle;
    // The widest line of a message box's text, in pixels (less on a screen
    // narrower than 1000 pixels).
    static constexpr int kMessageLineWidth = 400;

    // A message's text broken into lines no wider than the width, in the
    // font: after a sentence's "。" where the sentences fit, otherwise into
    // lines of even length, so that no line holds only the last character
    // or two of a sentence. Lines the text breaks itself are kept.
    static QString messageLines(const QString& text, const QFont& font, int width);

private:
    WindowRegistry* windows_;
    SoundPlayer sounds_;
};
