// SPDX-License-Identifier: MIT
#include "gui/setup/frm_settei_joho.h"

#include "gui/activation_tracker.h"
#include "gui/input/form1.h"
#include "gui/setup/fill_job_settings_controls.h"
#include "gui/window_registry.h"

#include "ui_frm_settei_joho.h"

#include <QApplication>
#include <QCloseEvent>
#include <QRadioButton>
#include <QTimer>

frmSetteiJoho::frmSetteiJoho(RunContext& context)
    : QWidget(nullptr), ui(std::make_unique<Ui::frmSetteiJoho>()), context_(context) {
    ui->setupUi(this);
    setFixedSize(size());
    jobSettings_ = jobSettingsWidgetsOf(*ui);
    nameJobSettingsBoxes(jobSettings_);
    // The option buttons only show the job's choice: clicks and keys do not
    // reach them.
    for (QRadioButton* option : {ui->Option5, ui->Option2, ui->Option1, ui->Option3})
        option->installEventFilter(this);
    ActivationTracker::instance();
}

frmSetteiJoho::~frmSetteiJoho() = default;

void frmSetteiJoho::Form_Activate() {
    activatedOnce_ = true;
    FillJobSettingsControls(jobSettings_, context_.job);
}

bool frmSetteiJoho::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        const bool becomesActive =
            !activatedOnce_ || ActivationTracker::instance().cameFromProgramWindow(this);
        if (becomesActive)
            Form_Activate();
    } else if (event->type() == QEvent::WindowDeactivate) {
        Form_LostFocus();
    }
    return QWidget::event(event);
}

bool frmSetteiJoho::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return qobject_cast<QRadioButton*>(watched) != nullptr;
        default:
            return false;
    }
}

void frmSetteiJoho::showEvent(QShowEvent* event) {
    // Shown before the window system has made it active: it shows the job
    // from the start.
    FillJobSettingsControls(jobSettings_, context_.job);
    QWidget::showEvent(event);
}

void frmSetteiJoho::Form_LostFocus() {
    // Decided once the focus has settled: another window of the program the
    // operator went to keeps it, and so does another program; only when the
    // focus went nowhere does the input screen take it.
    QTimer::singleShot(0, this, [this] {
        if (isActiveWindow() || QApplication::activeWindow())
            return;
        if (QGuiApplication::applicationState() != Qt::ApplicationActive)
            return;
        giveFocusToInputScreen();
    });
}

void frmSetteiJoho::giveFocusToInputScreen() {
    Form1* form1 = context_.windows.find<Form1>();
    if (!form1 || !form1->isVisible() || !form1->isEnabled())
        return;
    form1->raise();
    form1->activateWindow();
}

void frmSetteiJoho::closeEvent(QCloseEvent* event) {
    // The close button unloads the view (a row it hid shows again next
    // time); keying goes on in the input screen.
    event->accept();
    const bool wasActive = isActiveWindow();
    if (context_.windows.find<frmSetteiJoho>() == this)
        context_.windows.unload<frmSetteiJoho>();
    if (wasActive)
        giveFocusToInputScreen();
}
