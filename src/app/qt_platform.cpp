// SPDX-License-Identifier: MIT
#include "app/qt_platform.h"

#include "app/qt_texts.h"
#include "gui/input/form1.h"
#include "gui/printing/report_preview.h"
#include "gui/window_registry.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QVector>

namespace {

const QString kSentenceEnds = QStringLiteral("。！？");

// The lines a text breaks into at a width, as a label would break them.
QStringList wrapAt(const QString& text, const QFont& font, qreal width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

// A text too wide for one line, in as few lines as the width allows, all
// about as long: the narrowest width that needs no more lines than that.
QStringList evenLines(const QString& text, const QFont& font, qreal width) {
    const QFontMetricsF metrics(font);
    const int count = int(wrapAt(text, font, width).size());
    const qreal step = std::max<qreal>(1, metrics.averageCharWidth() / 2);
    for (qreal w = metrics.horizontalAdvance(text) / count; w < width; w += step) {
        const QStringList lines = wrapAt(text, font, w);
        if (lines.size() <= count)
            return lines;
    }
    return wrapAt(text, font, width);
}

// The widest line a message box shows as it is: the box itself wraps its
// text at half the screen's width.
int messageLineWidth(const QWidget& box) {
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const int half = screen ? screen->availableGeometry().width() / 2 : 800;
    return std::min(QtPlatform::kMessageLineWidth, half - 100);
}

}  // namespace

const QString QtPlatform::kMessageTitle = QStringLiteral("ピクトル");

QString QtPlatform::messageLines(const QString& text, const QFont& font, int width) {
    const QFontMetricsF metrics(font);
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        if (metrics.horizontalAdvance(paragraph) <= width) {
            lines << paragraph;
            continue;
        }
        // Sentences, each with its closing mark.
        QStringList sentences;
        qsizetype start = 0;
        for (qsizetype i = 0; i < paragraph.size(); ++i) {
            if (kSentenceEnds.contains(paragraph.at(i))) {
                sentences << paragraph.mid(start, i + 1 - start);
                start = i + 1;
            }
        }
        if (start < paragraph.size())
            sentences << paragraph.mid(start);
        // As many whole sentences on a line as fit; a sentence too long for
        // a line of its own is cut evenly.
        QString line;
        for (const QString& sentence : sentences) {
            if (metrics.horizontalAdvance(line + sentence) <= width) {
                line += sentence;
                continue;
            }
            if (!line.isEmpty())
                lines << line.trimmed();
            line.clear();
            if (metrics.horizontalAdvance(sentence) <= width)
                line = sentence;
            else
                lines << evenLines(sentence.trimmed(), font, width);
        }
        if (!line.isEmpty())
            lines << line.trimmed();
    }
    return lines.join(u'\n');
}

QtPlatform::QtPlatform(WindowRegistry* windows) : windows_(windows) {}
QtPlatform::~QtPlatform() = default;

void QtPlatform::beep() {
    QApplication::beep();
}

void QtPlatform::preloadSound(const QString& path) {
    if (QFileInfo::exists(path))
        sounds_.preload(path);
}

void QtPlatform::playSound(const QString& path) {
    // A missing file gives the system beep, as the classic sound call does.
    if (!QFileInfo::exists(path) || !sounds_.play(path))
        beep();
}

void QtPlatform::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kMessageTitle, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    // The box would wrap a long text at its own width, anywhere in a
    // Japanese sentence; the lines are broken here instead.
    box.setText(messageLines(text, box.font(), messageLineWidth(box)));
    box.exec();
}

bool QtPlatform::askQuestion(const QString& text, DefaultAnswer defaultAnswer) {
    QMessageBox box(QMessageBox::Question, kMessageTitle, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setText(messageLines(text, box.font(), messageLineWidth(box)));
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(defaultAnswer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int QtPlatform::askChoice(const QString& text, const QStringList& answers, int defaultAnswer,
                          int escapeAnswer) {
    QMessageBox box(QMessageBox::Question, kMessageTitle, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setText(messageLines(text, box.font(), messageLineWidth(box)));
    // Action roles keep the buttons in the order given on every desktop.
    QVector<QPushButton*> buttons;
    for (const QString& answer : answers)
        buttons << box.addButton(answer, QMessageBox::ActionRole);
    if (defaultAnswer >= 0 && defaultAnswer < buttons.size())
        box.setDefaultButton(buttons[defaultAnswer]);
    if (escapeAnswer >= 0 && escapeAnswer < buttons.size())
        box.setEscapeButton(buttons[escapeAnswer]);
    box.exec();
    const int chosen = buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return chosen < 0 ? escapeAnswer : chosen;
}

void QtPlatform::showAlertWindow(AlertWindow window) {
    // The correction screen opens its own alert over itself.
    if (windows_ && window != AlertWindow::frmTAlert)
        windows_->get<Form1>().openAlertWindow(window);
}

void QtPlatform::previewReport(const QString& title, std::shared_ptr<PrintDocument> document) {
    QWidget* parent = windows_ ? windows_->find<Form1>() : nullptr;
    showReportPreview(parent, title, std::move(document), *this);
}

QString QtPlatform::chooseFileToOpen(const QString& caption, const QStringList& filters,
                                     const QString& selectedFilter) {
    QFileDialog dialog(QApplication::activeWindow(), caption);
    dialog.setOptions(fileDialogOptions(QGuiApplication::platformName()));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPlatform::chooseFileToSave(const QString& caption, const QString& suggestedPath,
                                     const QStringList& filters) {
    QFileDialog dialog(QApplication::activeWindow(), caption);
    dialog.setOptions(fileDialogOptions(QGuiApplication::platformName()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.constFirst());
    dialog.setDefaultSuffix(QFileInfo(suggestedPath).suffix());
    // Qt's dialog asks before replacing an existing file, in Japanese.
    const QFileInfo suggestion(suggestedPath);
    if (!suggestion.path().isEmpty() && suggestion.dir().exists())
        dialog.setDirectory(suggestion.dir());
    dialog.selectFile(suggestion.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPlatform::chooseFolder(const QString& caption, const QString& startDirectory) {
    QFileDialog dialog(QApplication::activeWindow(), caption);
    dialog.setOptions(fileDialogOptions(QGuiApplication::platformName()));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (QFileInfo(startDirectory).isDir())
        dialog.setDirectory(startDirectory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void QtPlatform::endProgram() {
    // Not quit(): on a GUI application that first closes every window,
    // running their close handling (the input screen would register an open
    // pupil). exit() only leaves the event loop.
    QCoreApplication::exit(0);
}
