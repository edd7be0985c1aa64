// SPDX-License-Identifier: MIT
#pragma once

#include "domain/platform/platform.h"

// A platform that does nothing: no sound, beep, message box, alert window
// or dialog; questions are answered no and dialogs cancelled.
class SilentPlatform : public Platform {
public:
    void beep() override {}
    void playSound(const QString&) override {}
    void showMessage(const QString&) override {}
    using Platform::askQuestion;
    bool askQuestion(const QString&, DefaultAnswer) override { return false; }
    int askChoice(const QString&, const QStringList&, int, int escapeAnswer) override {
        return escapeAnswer;
    }
    void showAlertWindow(AlertWindow) override {}
    void previewReport(const QString&, std::shared_ptr<PrintDocument>) override {}
    QString chooseFileToOpen(const QString&, const QStringList&, const QString&) override {
        return {};
    }
    QString chooseFileToSave(const QString&, const QString&, const QStringList&) override {
        return {};
    }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    void endProgram() override {}
};

// Hands everything on to another platform, unless it is muted: then the
// program runs silently, with no sound, beep, message box, alert window or
// dialog, as when a journal is replayed. A muted question is answered no
// (a choice as by Esc), a muted file dialog is cancelled.
class PlatformRelay : public Platform {
public:
    explicit PlatformRelay(Platform& target) : target_(target) {}

    void setMuted(bool muted) { muted_ = muted; }
    bool isMuted() const { return muted_; }

    void beep() override {
        if (!muted_)
            target_.beep();
    }
    void playSound(const QString& path) override {
        if (!muted_)
            target_.playSound(path);
    }
    void showMessage(const QString& text) override {
        if (!muted_)
            target_.showMessage(text);
    }
    using Platform::askQuestion;
    bool askQuestion(const QString& text, DefaultAnswer defaultAnswer) override {
        return !muted_ && target_.askQuestion(text, defaultAnswer);
    }
    int askChoice(const QString& text, const QStringList& answers, int defaultAnswer,
                  int escapeAnswer) override {
        return muted_ ? escapeAnswer
                      : target_.askChoice(text, answers, defaultAnswer, escapeAnswer);
    }
    void showAlertWindow(AlertWindow window) override {
        if (!muted_)
            target_.showAlertWindow(window);
    }
    void previewReport(const QString& title, std::shared_ptr<PrintDocument> document) override {
        if (!muted_)
            target_.previewReport(title, std::move(document));
    }
    QString chooseFileToOpen(const QString& caption, const QStringList& filters,
                             const QString& selectedFilter) override {
        return muted_ ? QString() : target_.chooseFileToOpen(caption, filters, selectedFilter);
    }
    QString chooseFileToSave(const QString& caption, const QString& suggestedPath,
                             const QStringList& filters) override {
        return muted_ ? QString() : target_.chooseFileToSave(caption, suggestedPath, filters);
    }
    QString chooseFolder(const QString& caption, const QString& startDirectory) override {
        return muted_ ? QString() : target_.chooseFolder(caption, startDirectory);
    }
    void endProgram() override {
        if (!muted_)
            target_.endProgram();
    }

private:
    Platform& target_;
    bool muted_ = false;
};
