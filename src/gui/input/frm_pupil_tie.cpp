// SPDX-License-Identifier: MIT
#include "gui/input/frm_pupil_tie.h"

#include "domain/roster/slip_tie.h"

#include "ui_frm_pupil_tie.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

frmPupilTie::frmPupilTie(const Roster& roster, QWidget* parent, bool canUntie)
    : QDialog(parent), ui(std::make_unique<Ui::frmPupilTie>()), roster_(roster) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    ui->cmdUntie->setVisible(canUntie);
    for (QLineEdit* box : {ui->txtClass, ui->txtNumber}) {
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, &frmPupilTie::showMatch);
    }
    connect(ui->cmdTie, &QPushButton::clicked, this, &frmPupilTie::tie);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cmdUntie, &QPushButton::clicked, this, [this] {
        emit chosen(std::nullopt);
        accept();
    });
    showMatch();
    ui->txtClass->setFocus();
}

frmPupilTie::~frmPupilTie() = default;

void frmPupilTie::showMatch() {
    const QString classText = ui->txtClass->text();
    if (classText.trimmed().isEmpty()) {
        ui->lblName->clear();
        ui->cmdTie->setEnabled(false);
        return;
    }
    const PupilMatch match = lookUpPupil(roster_, classText, ui->txtNumber->text());
    ui->lblName->setText(match.pupil ? tiedPupilText(roster_, match.pupil) : match.problem);
    ui->lblName->setStyleSheet(match.pupil ? QString() : QStringLiteral("color: rgb(160, 0, 0);"));
    ui->cmdTie->setEnabled(bool(match.pupil));
}

void frmPupilTie::tie() {
    const PupilMatch match = lookUpPupil(roster_, ui->txtClass->text(), ui->txtNumber->text());
    if (!match.pupil) {
        QApplication::beep();
        return;
    }
    emit chosen(match.pupil);
    accept();
}

bool frmPupilTie::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    // The keypad's own keys: "." or Enter moves from the class to the
    // number, Enter ties, "+" (which opened the box) types nothing.
    if (key->text() == QStringLiteral("+"))
        return true;
    if (watched == ui->txtClass && (enter || key->text() == QStringLiteral("."))) {
        const bool byId = ui->txtNumber->text().isEmpty() &&
                          lookUpPupil(roster_, ui->txtClass->text(), {}).pupil.has_value();
        if (enter && byId)
            tie();
        else
            ui->txtNumber->setFocus();
        return true;
    }
    if (watched == ui->txtNumber && enter) {
        tie();
        return true;
    }
    return false;
}
