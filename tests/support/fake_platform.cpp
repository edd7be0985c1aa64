// SPDX-License-Identifier: MIT
#include "support/fake_platform.h"

#include <QCoreApplication>
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

bool FakePlatform::askQuestion(const QString& text, DefaultAnswer defaultAnswer) {
    questions << text;
    questionDefaults << defaultAnswer;
    calls << QStringLiteral("question:") + text;
    return !questionAnswers.isEmpty() && questionAnswers.takeFirst();
}

int FakePlatform::askChoice(const QString& text, const QStringList& answers, int defaultAnswer,
                            int escapeAnswer) {
    choices << Choice{text, answers, defaultAnswer, escapeAnswer};
    calls << QStringLiteral("choice:") + text;
    return choiceAnswers.isEmpty() ? escapeAnswer : choiceAnswers.takeFirst();
}

void FakePlatform::showAlertWindow(AlertWindow window) {
    alerts << window;
    calls << QStringLiteral("alert:") + alertWindowName(window);
    if (onAlert)
        onAlert(window);
}

void FakePlatform::previewReport(const QString& title, std::shared_ptr<PrintDocument> document) {
    reportTitles << title;
    calls << QStringLiteral("preview:") + title;
    lastReport = document;
    lastReportPaint = [document = std::move(document)](QPrinter* printer) {
        if (document && printer)
            document->print(printer);
    };
}

QString FakePlatform::answerFileDialog(const FileDialogRequest& request) {
    fileDialogs << request;
    switch (request.kind) {
        case FileDialogRequest::Kind::Open:
            calls << QStringLiteral("open:") + request.caption;
            break;
        case FileDialogRequest::Kind::Save:
            calls << QStringLiteral("save:") + request.caption;
            break;
        case FileDialogRequest::Kind::Folder:
            calls << QStringLiteral("folder:") + request.caption;
            break;
    }
    if (onFileDialog)
        return onFileDialog(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString FakePlatform::chooseFileToOpen(const QString& caption, const QStringList& filters,
                                       const QString& selectedFilter) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.caption = caption;
    request.filters = filters;
    request.selectedFilter = selectedFilter;
    return answerFileDialog(request);
}

QString FakePlatform::chooseFileToSave(const QString& caption, const QString& suggestedPath,
                                       const QStringList& filters) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.caption = caption;
    request.filters = filters;
    request.suggestedPath = suggestedPath;
    return answerFileDialog(request);
}

QString FakePlatform::chooseFolder(const QString& caption, const QString& startDirectory) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Folder;
    request.caption = caption;
    request.suggestedPath = startDirectory;
    return answerFileDialog(request);
}

void FakePlatform::endProgram() {
    ++programEnds;
    // Leaves a running event loop as the real platform does, so a test that
    // runs one sees the run end.
    QCoreApplication::exit(0);
}

void FakePlatform::clear() {
    calls.clear();
    beeps = 0;
    sounds.clear();
    messages.clear();
    alerts.clear();
    reportTitles.clear();
    lastReport.reset();
    lastReportPaint = nullptr;
    programEnds = 0;
    questions.clear();
    questionAnswers.clear();
    questionDefaults.clear();
    choices.clear();
    choiceAnswers.clear();
    fileDialogs.clear();
    fileAnswers.clear();
}
