// SPDX-License-Identifier: MIT
#include "gui/dialogs/frm_start.h"

#include "gui/setup/frm_film.h"
#include "gui/window_registry.h"

#include "ui_frm_start.h"

#include <QTimer>

frmStart::frmStart(RunContext& context)
    : context_(context), ui(std::make_unique<Ui::frmStart>()), Timer1(new QTimer(this)) {
    ui->setupUi(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerInterval);
    connect(Timer1, &QTimer::timeout, this, &frmStart::Timer1_Timer);
    Form_Load();
}

frmStart::~frmStart() = default;

void frmStart::Form_Load() {
    Timer1->start();
}

void frmStart::Timer1_Timer() {
    // The setup screen is shown before this window goes, so that the
    // program never runs without a visible window.
    context_.windows.get<FrmFilm>().show();
    Timer1->stop();
    context_.windows.unload<frmStart>();
    emit handedOver();
}
