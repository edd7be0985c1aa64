// SPDX-License-Identifier: MIT
#include "gui/alerts/frm_t_alert.h"

#include "domain/job/allowed_range_text.h"
#include "gui/window_registry.h"

#include "ui_frm_t_alert.h"

frmTAlert::frmTAlert(RunContext& context)
    : AlertWindowBase(context), ui(std::make_unique<Ui::frmTAlert>()) {
    ui->setupUi(this);
    setFixedSize(size());
    setWarningPicture(ui->Image1);
    Form_Load();
}

frmTAlert::~frmTAlert() = default;

void frmTAlert::open(QWidget* owner, QWidget* focusBack) {
    openOver(owner, focusBack);
}

void frmTAlert::Form_Load() {
    ui->lbSuu->setText(AllowedRangeText(context.job));
}

void frmTAlert::unloadFromRegistry() {
    if (context.windows.find<frmTAlert>() == this)
        context.windows.unload<frmTAlert>();
}
