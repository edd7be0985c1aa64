// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QString>
#include <QStringList>

class QPrinter;

// The alert windows that order entry and correction open over their owner.
enum class AlertWindow { frmAlert, frmStop, frmTAlert };

// Everything that reaches outside the program: the system beep, wave files,
// blocking message boxes, the alert windows, file and folder dialogs, printing and
// ending the run. The
// program installs the real Qt implementation; tests install a recording
// fake, so no test ever blocks on a dialog or depends on a sound device.
class Platform {
public:
    virtual ~Platform() = default;

    // The system beep.
    virtual void beep() = 0;

    // Starts playing a wave file and returns at once; a missing file gives
    // the system beep instead.
    virtual void playSound(const QString& path) = 0;

    // A message box with one OK button and the application's title; returns
    // when the operator has closed it.
    virtual void showMessage(const QString& text) = 0;

    // A question with the answers yes and no and the application's title;
    // returns true for yes when the operator has answered. Enter answers yes,
    // or no where the question is one an Enter typed ahead must not answer
    // yes to (a warning about what yes would do).
    enum class DefaultAnswer { Yes, No };
    virtual bool askQuestion(const QString& text, DefaultAnswer defaultAnswer) = 0;
    bool askQuestion(const QString& text) { return askQuestion(text, DefaultAnswer::Yes); }

    // A question with the answers given, left to right, and the
    // application's title; returns the index of the one chosen. Enter
    // chooses defaultAnswer; Esc or the close box chooses escapeAnswer.
    virtual int askChoice(const QString& text, const QStringList& answers, int defaultAnswer,
                          int escapeAnswer) = 0;

    // Opens one of the alert windows over its (already disabled) owner.
    virtual void showAlertWindow(AlertWindow window) = 0;

    // Opens a print preview of a report under the given title, from which
    // the operator prints it or saves it as PDF, and returns. paint draws the
    // report onto the printer it is given (the preview's or the chosen
    // printer); it may be called any number of times, also after the caller
    // has returned, so it must own what it draws.
    virtual void previewReport(const QString& title, std::function<void(QPrinter*)> paint) = 0;

    // A file-open dialog under the given caption; returns the full path of
    // the file chosen, or an empty text when the operator cancelled.
    // filters are names with their patterns in brackets, e.g.
    // "標準ファイル(*.ptl)"; selectedFilter (one of them) is selected when the
    // dialog opens.
    virtual QString chooseFileToOpen(const QString& caption, const QStringList& filters,
                                     const QString& selectedFilter) = 0;

    // A file-save dialog offering suggestedPath; returns the full path
    // chosen (the suggestion's extension added when the operator typed a
    // name without one), or an empty text when the operator cancelled. An
    // existing file is only returned after the operator has agreed to
    // replace it.
    virtual QString chooseFileToSave(const QString& caption, const QString& suggestedPath,
                                     const QStringList& filters) = 0;

    // A folder dialog under the given caption, opening at startDirectory;
    // returns the full path of the folder chosen, or an empty text when the
    // operator cancelled.
    virtual QString chooseFolder(const QString& caption, const QString& startDirectory) = 0;

    // Ends the run at once: the event loop stops without any window's close
    // handling running and without saving anything.
    virtual void endProgram() = 0;
};
