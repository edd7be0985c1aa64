// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

class QPageLayout;
class QPainter;
class QPrinter;

// A document to preview and print: a report or the sample sheets. Its
// pages are laid out once, at the first asking, and then painted one at a
// time, as the preview shows them or a printer takes them.
class PrintDocument {
public:
    virtual ~PrintDocument() = default;

    // The page it is made for: the paper, its orientation and margins.
    virtual QPageLayout pageLayout() const = 0;

    // The number of its pages on that page.
    virtual int pageCount() = 0;

    // Paints page `page` (1 to pageCount()) alone with the painter, in
    // points (1/72 inch) from the top left of the page's printable area
    // (inside the margins), at any scale of the painter.
    virtual void paintPage(QPainter& painter, int page) = 0;

    // Prints it onto the printer (a printer or a PDF file), laid out again
    // when the printer's page or resolution differ from the preview's;
    // a printer whose print range is a page range gets those pages only.
    // Returns the number of pages printed (0 when the printer could not
    // be painted on).
    virtual int print(QPrinter* printer) = 0;
};

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

    // Opens a print preview of a document (a report or the sample sheets)
    // under the given title, from which the operator prints it or saves it
    // as PDF, and returns. The preview keeps the document for as long as it
    // is open and paints only the pages it shows.
    virtual void previewReport(const QString& title, std::shared_ptr<PrintDocument> document) = 0;

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
