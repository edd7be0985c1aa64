// SPDX-License-Identifier: MIT
#include "gui/dialogs/frm_appli.h"

#include "gui/window_registry.h"

#include "ui_frm_appli.h"

#include <QCloseEvent>

frmAppli::frmAppli(RunContext& context) : context_(context), ui(std::make_unique<Ui::frmAppli>()) {
    ui->setupUi(this);
    ui->LabelVersion->setText(ui->LabelVersion->text().arg(QStringLiteral(PICTOR_VERSION)));
    connect(ui->Command1, &QPushButton::clicked, this, &frmAppli::Command1_Click);
}

frmAppli::~frmAppli() = default;

void frmAppli::Command1_Click() {
    context_.windows.unload<frmAppli>();
}

void frmAppli::closeEvent(QCloseEvent* event) {
    event->accept();
    context_.windows.unload<frmAppli>();
}
