// SPDX-License-Identifier: MIT
#include "gui/tools/frm_lab_export.h"

#include "gui/setup/frm_film.h"
#include "gui/window_registry.h"

#include "ui_frm_lab_export.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QRadioButton>
#include <QStandardPaths>

frmLabExport::frmLabExport(RunContext& context)
    : context_(context), ui(std::make_unique<Ui::frmLabExport>()) {
    ui->setupUi(this);
    // Buttons pressed with Enter as with Space, like classic command buttons.
    ui->cmdExport->setAutoDefault(true);
    ui->cmdCancel->setAutoDefault(true);
    connect(ui->cmdExport, &QPushButton::clicked, this, &frmLabExport::cmdExport_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QWidget::close);
}

frmLabExport::~frmLabExport() = default;

void frmLabExport::open() {
    // The first showing is centred over the window it was opened from.
    if (!placed_) {
        if (const QWidget* from = QApplication::activeWindow(); from && from != this) {
            move(from->frameGeometry().center() - rect().center());
        }
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
    (ui->optByPupil->isChecked() ? ui->optByPupil : ui->optByPhoto)->setFocus(Qt::OtherFocusReason);
}

LabExportKind frmLabExport::kind() const {
    return ui->optByPupil->isChecked() ? LabExportKind::ByPupil : LabExportKind::ByPhoto;
}

LabExportEncoding frmLabExport::encoding() const {
    return ui->optUtf8->isChecked() ? LabExportEncoding::Utf8 : LabExportEncoding::ShiftJis;
}

void frmLabExport::keyPressEvent(QKeyEvent* event) {
    // Enter on an option button writes, as the buttons take their own Enter.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            cmdExport_Click();
            return;
        case Qt::Key_Escape:
            close();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

QString frmLabExport::startFolder() const {
    if (!lastFolder_.isEmpty())
        return lastFolder_;
    if (const FrmFilm* film = context_.windows.find<FrmFilm>())
        if (!film->loadedFilePath().isEmpty())
            return QFileInfo(film->loadedFilePath()).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void frmLabExport::cmdExport_Click() {
    const QString suggestion = suggestedLabExportPath(context_.job, kind(), startFolder());
    const LabExportCommandOutcome outcome = labExportCommand(
        context_.job, context_.platform, kind(), encoding(), suggestion, context_.companion);
    if (outcome.cancelled)
        return;
    if (!outcome.result.written)
        return;  // the operator has been told why; the choices stay for another try
    lastFolder_ = QFileInfo(outcome.path).absolutePath();
    close();
}
