// SPDX-License-Identifier: MIT
#pragma once

#include "domain/platform/platform.h"

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>
#include <QVector>

// A file dialog the program asked for.
struct FileDialogRequest {
    enum class Kind { Open, Save, Folder };
    Kind kind = Kind::Open;
    QString caption;
    QStringList filters;
    QString selectedFilter;  // open dialogs
    QString suggestedPath;   // save dialogs; the start folder of folder dialogs
};

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

    // Questions asked, in order; each is answered with the next of
    // questionAnswers (none left is a no).
    QStringList questions;
    QList<bool> questionAnswers;
    // The answer Enter would have given to each question, in order.
    QList<DefaultAnswer> questionDefaults;

    // Choices offered, in order, with their answers; each is answered with
    // the next of choiceAnswers (an index; none left is the Esc answer).
    struct Choice {
        QString text;
        QStringList answers;
        int defaultAnswer = 0;
        int escapeAnswer = 0;
    };
    QVector<Choice> choices;
    QList<int> choiceAnswers;

    // Previews asked for: their titles, the latest document, and a print
    // of it onto the printer given (its print() as a function, empty when
    // nothing was previewed).
    QStringList reportTitles;
    std::shared_ptr<PrintDocument> lastReport;
    std::function<void(QPrinter*)> lastReportPaint;

    // File and folder dialogs asked for, in order. Each is answered with the next of
    // fileAnswers (an empty text is a cancel; none left is a cancel too), or
    // by onFileDialog when it is set.
    QVector<FileDialogRequest> fileDialogs;
    QStringList fileAnswers;
    std::function<QString(const FileDialogRequest&)> onFileDialog;

    // How often the program ended the run.
    int programEnds = 0;

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

    void clear();

private:
    QString answerFileDialog(const FileDialogRequest& request);
};

QString alertWindowName(AlertWindow window);
