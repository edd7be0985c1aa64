// SPDX-License-Identifier: MIT
#include "gui/alerts/frm_stop.h"

#include "gui/window_registry.h"

#include "ui_frm_stop.h"

frmStop::frmStop(RunContext& context)
    : AlertWindowBase(context), ui(std::make_unique<Ui::frmStop>()) {
    ui->setupUi(this);
    setFixedSize(size());
}

frmStop::~frmStop() = default;

void frmStop::open(QWidget* owner) {
    openOver(owner, nullptr);
}

void frmStop::unloadFromRegistry() {
    if (context.windows.find<frmStop>() == this)
        context.windows.unload<frmStop>();
}
