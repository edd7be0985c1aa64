// SPDX-License-Identifier: MIT
#include "gui/dialogs/frm_end.h"

#include "domain/platform/platform.h"
#include "gui/input/form1.h"
#include "gui/window_registry.h"

#include "ui_frm_end.h"

#include <QStyle>

FrmEnd::FrmEnd(RunContext& context) : context_(context), ui(std::make_unique<Ui::FrmEnd>()) {
    ui->setupUi(this);
    const int side = ui->Image1->width();
    ui->Image1->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(side, side));
    connect(ui->Command1, &QPushButton::clicked, this, &FrmEnd::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &FrmEnd::Command2_Click);
}

FrmEnd::~FrmEnd() = default;

void FrmEnd::showEvent(QShowEvent* event) {
    // Opens on "キャンセル（戻る）": an Enter meant for the input screen must
    // not end the run.
    ui->Command2->setFocus(Qt::OtherFocusReason);
    QWidget::showEvent(event);
}

void FrmEnd::Command1_Click() {
    // Work keyed while the confirmation was up is not lost unasked.
    if (Form1* input = context_.windows.find<Form1>(); input && !input->mayEndRun()) {
        hide();
        return;
    }
    context_.platform.endProgram();
}

void FrmEnd::Command2_Click() {
    hide();
}
