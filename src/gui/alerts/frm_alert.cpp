// SPDX-License-Identifier: MIT
#include "gui/alerts/frm_alert.h"

#include "domain/job/allowed_range_text.h"
#include "gui/window_registry.h"

#include "ui_frm_alert.h"

frmAlert::frmAlert(RunContext& context)
    : AlertWindowBase(context), ui(std::make_unique<Ui::frmAlert>()) {
    ui->setupUi(this);
    setFixedSize(size());
    setWarningPicture(ui->Image1);
    Form_Load();
}

frmAlert::~frmAlert() = default;

void frmAlert::open(QWidget* owner) {
    openOver(owner, nullptr);
}

void frmAlert::Form_Load() {
    ui->lbSuu->setText(AllowedRangeText(context.job));
}

void frmAlert::unloadFromRegistry() {
    if (context.windows.find<frmAlert>() == this)
        context.windows.unload<frmAlert>();
}
