// SPDX-License-Identifier: MIT
#include "gui/setup/frm_film.h"

#include "domain/files/job_file_commands.h"
#include "domain/files/job_file_loader.h"
#include "domain/job/job_state.h"
#include "domain/platform/platform.h"
#include "gui/activation_tracker.h"
#include "gui/dialogs/frm_end.h"
#include "gui/input/form1.h"
#include "gui/run_companion.h"
#include "gui/setup/fill_job_settings_controls.h"
#include "gui/setup/setup_line_edit.h"
#include "gui/tools/frm_roster_import.h"
#include "gui/tools/run_tools.h"
#include "gui/window_registry.h"

#include "ui_frm_film.h"

#include <QCloseEvent>

const QString FrmFilm::kLoadedNote =
    QStringLiteral(" 他のファイルを読み込むには、このソフトを終了してください。");

namespace {

const QColor kLoadedNoteBackground(255, 255, 128);  // 0x80FFFF as blue-green-red

}  // namespace

FrmFilm::FrmFilm(RunContext& context)
    : context_(context),
      ui(std::make_unique<Ui::FrmFilm>()),
      setup_(context.job, *this, context.platform) {
    ui->setupUi(this);
    jobSettings_ = jobSettingsWidgetsOf(*ui);
    nameJobSettingsBoxes(jobSettings_);
    ActivationTracker::instance();

    // The separator before the quit entry carries its own name.
    QAction* sen2 = ui->mnuFile1->insertSeparator(ui->mnuEnd);
    sen2->setObjectName(QStringLiteral("sen2"));

    ui->Command2->hide();

    connect(ui->Option5, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option5_Click();
    });
    connect(ui->Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(ui->Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(ui->Option3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option3_Click();
    });
    connect(ui->Command3, &QPushButton::clicked, this, &FrmFilm::Command3_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &FrmFilm::Command2_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &FrmFilm::Command1_Click);
    connect(ui->mnuEnd, &QAction::triggered, this, &FrmFilm::mnuEnd_Click);
    // The school's roster can come in before the keying starts.
    connect(ui->mnuRosterImport1, &QAction::triggered, this,
            [this] { context_.windows.get<frmRosterImport>().open(); });
    connectFields();
}

FrmFilm::~FrmFilm() = default;

void FrmFilm::connectFields() {
    const std::pair<SetupLineEdit*, SetupControl> fields[] = {
        {ui->tbDaiStart, SetupControl::tbDaiStart},   {ui->tbDaiEnd, SetupControl::tbDaiEnd},
        {ui->tbChuStart, SetupControl::tbChuStart},   {ui->tbChuEnd, SetupControl::tbChuEnd},
        {ui->tbShouStart, SetupControl::tbShouStart}, {ui->tbShouEnd, SetupControl::tbShouEnd},
        {ui->tbDaiTanka, SetupControl::tbDaiTanka},   {ui->tbChuTanka, SetupControl::tbChuTanka},
        {ui->tbShouTanka, SetupControl::tbShouTanka}, {ui->tbTokuisaki, SetupControl::tbTokuisaki},
        {ui->tbGyouji, SetupControl::tbGyouji},       {ui->tbSatueibi, SetupControl::tbSatueibi},
        {ui->tbSatueisha, SetupControl::tbSatueisha},
    };
    for (const auto& [edit, field] : fields) {
        connect(edit, &SetupLineEdit::keyPressed, this,
                [this, field = field](int keyAscii) { setup_.keyPress(field, keyAscii); });
    }

    connect(ui->tbDaiStart, &SetupLineEdit::left, this, &FrmFilm::tbDaiStart_LostFocus);
    connect(ui->tbChuStart, &SetupLineEdit::left, this, &FrmFilm::tbChuStart_LostFocus);
    connect(ui->tbShouStart, &SetupLineEdit::left, this, &FrmFilm::tbShouStart_LostFocus);
    connect(ui->tbDaiEnd, &SetupLineEdit::left, this, &FrmFilm::tbDaiEnd_LostFocus);
    connect(ui->tbChuEnd, &SetupLineEdit::left, this, &FrmFilm::tbChuEnd_LostFocus);
    connect(ui->tbShouEnd, &SetupLineEdit::left, this, &FrmFilm::tbShouEnd_LostFocus);
    connect(ui->tbShouEnd, &QLineEdit::textChanged, this, &FrmFilm::tbShouEnd_Change);
    connect(ui->tbDaiTanka, &QLineEdit::textChanged, this, &FrmFilm::tbDaiTanka_Change);
    connect(ui->tbChuTanka, &QLineEdit::textChanged, this, &FrmFilm::tbChuTanka_Change);
    connect(ui->tbShouTanka, &QLineEdit::textChanged, this, &FrmFilm::tbShouTanka_Change);
    connect(ui->tbDaiTanka, &SetupLineEdit::left, this, &FrmFilm::tbDaiTanka_LostFocus);
    connect(ui->tbChuTanka, &SetupLineEdit::left, this, &FrmFilm::tbChuTanka_LostFocus);
    connect(ui->tbShouTanka, &SetupLineEdit::left, this, &FrmFilm::tbShouTanka_LostFocus);
    for (SetupControl field : {SetupControl::tbTokuisaki, SetupControl::tbGyouji,
                               SetupControl::tbSatueibi, SetupControl::tbSatueisha}) {
        connect(static_cast<SetupLineEdit*>(box(field)), &SetupLineEdit::left, this,
                [this, field] { setup_.textFieldLeft(field); });
    }
}

void FrmFilm::Command2_Click() {
    auto& form1 = context_.windows.get<Form1>();
    form1.show();
    form1.switchOffListInputMethod();
    hide();
}

void FrmFilm::mnuEnd_Click() {
    auto& confirmation = context_.windows.get<FrmEnd>();
    confirmation.show();
    confirmation.raise();
    confirmation.activateWindow();
}

void FrmFilm::Command1_Click() {
    const QString path =
        context_.platform.chooseFileToOpen(JobFileDialogTexts::kOpenCaption, jobFileOpenFilters(),
                                           JobFileDialogTexts::kJobFilesFilter);
    // Cancelled: the screen stays as it was, open for typing or for a load.
    if (!path.isEmpty())
        loadJobFile(path);
}

void FrmFilm::loadJobFile(const QString& path) {
    const JobFileLoadResult result = LoadJobFile(context_.job, path);
    if (!result.loaded()) {
        // Refused (not a job file, damaged, or a value the job cannot take):
        // the job and the screen stay as they were, open for typing or for
        // another file.
        context_.platform.showMessage(result.message);
        return;
    }
    loadedFilePath_ = path;
    context_.jobFile = {path, result.fileDigest, jobFileDigest(context_.job)};
    showLoadedJob();
    loadRunCompanion(context_, path);
    // Where a partial load stopped, or which fields hold unreadable bytes.
    if (!result.message.isEmpty())
        context_.platform.showMessage(result.message);
}

void FrmFilm::showLoadedJob() {
    FillJobSettingsControls(jobSettings_, context_.job);
    lockAfterLoad();
}

// One file per run: the ranges and prices as loaded, the load button off
// for good, and the finish button next.
void FrmFilm::lockAfterLoad() {
    for (QLineEdit* box :
         {ui->tbDaiStart, ui->tbDaiEnd, ui->tbChuStart, ui->tbChuEnd, ui->tbShouStart,
          ui->tbShouEnd, ui->tbDaiTanka, ui->tbChuTanka, ui->tbShouTanka})
        box->setEnabled(false);

    QPalette yellow = ui->Label5->palette();
    yellow.setColor(QPalette::Window, kLoadedNoteBackground);
    ui->Label5->setPalette(yellow);
    ui->Label5->setAutoFillBackground(true);
    ui->Label5->setText(kLoadedNote);

    ui->Command1->setEnabled(false);
    ui->Command2->setFocus(Qt::OtherFocusReason);
}

void FrmFilm::Command3_Click() {
    // Selecting an option button runs its click handling; one that is
    // selected already is clicked all the same.
    if (ui->Option2->isChecked())
        Option2_Click();
    else
        ui->Option2->setChecked(true);
    if (ui->Option3->isChecked())
        Option3_Click();
    else
        ui->Option3->setChecked(true);
    setFocusTo(SetupControl::tbShouStart);
}

bool FrmFilm::event(QEvent* event) {
    if (event->type() != QEvent::WindowActivate)
        return QMainWindow::event(event);
    const bool becomesActive =
        !activatedBefore_ || ActivationTracker::instance().cameFromProgramWindow(this);
    activatedBefore_ = true;
    const bool handled = QMainWindow::event(event);
    if (becomesActive)
        Form_Activate();
    return handled;
}

void FrmFilm::Form_Activate() {
    // Qt gives no focus-out to the control that had the focus when the window
    // was last in use; moving the focus away from it still leaves it.
    QWidget* had = focusWidget();
    const bool hadFocusEvent = had && had->hasFocus();
    QWidget* target = control(setup_.activationFocus());
    target->setFocus(Qt::OtherFocusReason);
    if (had && had != target && !hadFocusEvent) {
        if (auto* edit = qobject_cast<SetupLineEdit*>(had))
            edit->notifyLeft();
    }
}

void FrmFilm::closeEvent(QCloseEvent* event) {
    if (!mayStopRunTools(context_)) {
        event->ignore();
        return;
    }
    stopRunTools(context_);
    event->accept();
    context_.platform.endProgram();
}

QWidget* FrmFilm::control(SetupControl control) const {
    if (control == SetupControl::Command2)
        return ui->Command2;
    return box(control);
}

QLineEdit* FrmFilm::box(SetupControl box) const {
    switch (box) {
        case SetupControl::tbDaiStart:
            return ui->tbDaiStart;
        case SetupControl::tbDaiEnd:
            return ui->tbDaiEnd;
        case SetupControl::tbDaiMai:
            return ui->tbDaiMai;
        case SetupControl::tbDaiTanka:
            return ui->tbDaiTanka;
        case SetupControl::tbChuStart:
            return ui->tbChuStart;
        case SetupControl::tbChuEnd:
            return ui->tbChuEnd;
        case SetupControl::tbChuMai:
            return ui->tbChuMai;
        case SetupControl::tbChuTanka:
            return ui->tbChuTanka;
        case SetupControl::tbShouStart:
            return ui->tbShouStart;
        case SetupControl::tbShouEnd:
            return ui->tbShouEnd;
        case SetupControl::tbShouMai:
            return ui->tbShouMai;
        case SetupControl::tbShouTanka:
            return ui->tbShouTanka;
        case SetupControl::tbTokuisaki:
            return ui->tbTokuisaki;
        case SetupControl::tbGyouji:
            return ui->tbGyouji;
        case SetupControl::tbSatueibi:
            return ui->tbSatueibi;
        case SetupControl::tbSatueisha:
            return ui->tbSatueisha;
        case SetupControl::Command2:
            break;
    }
    Q_UNREACHABLE();
    return nullptr;
}

QList<QWidget*> FrmFilm::rowWidgets(SizeRow row) const {
    switch (row) {
        case SizeRow::Large:
            return jobSettings_.largeRow();
        case SizeRow::Medium:
            return jobSettings_.mediumRow();
        case SizeRow::Small:
            break;
    }
    return {};
}

QString FrmFilm::text(SetupControl control) const {
    return box(control)->text();
}

void FrmFilm::setText(SetupControl control, const QString& text) {
    box(control)->setText(text);
}

bool FrmFilm::isFinishVisible() const {
    return !ui->Command2->isHidden();
}

void FrmFilm::setFinishVisible(bool visible) {
    ui->Command2->setVisible(visible);
}

void FrmFilm::setFocusTo(SetupControl target) {
    control(target)->setFocus(Qt::OtherFocusReason);
}

void FrmFilm::setRowVisible(SizeRow row, bool visible) {
    const QList<QWidget*> widgets = rowWidgets(row);
    // A box of the row being switched off gives up the focus quietly first;
    // the handler then puts it where the next size in use begins. Otherwise
    // Qt would pass it to the next box on the way, which would be left in
    // turn.
    if (!visible && widgets.contains(focusWidget())) {
        if (auto* edit = qobject_cast<SetupLineEdit*>(focusWidget()))
            edit->giveUpFocusQuietly();
    }
    for (QWidget* widget : widgets)
        widget->setVisible(visible);
}

void FrmFilm::showPrice(SizeRow row) {
    if (row == SizeRow::Large) {
        ui->Label10->show();
        ui->tbDaiTanka->show();
    } else if (row == SizeRow::Medium) {
        ui->Label19->show();
        ui->tbChuTanka->show();
    }
}
