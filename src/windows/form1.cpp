#include "windows/form1.h"

#include "domain/job_file_commands.h"
#include "domain/journal.h"
#include "windows/activation_tracker.h"
#include "windows/frm_alert.h"
#include "windows/frm_appli.h"
#include "windows/frm_end.h"
#include "windows/frm_film.h"
#include "windows/frm_nyuuryoku.h"
#include "windows/frm_settei_joho.h"
#include "windows/frm_stop.h"
#include "windows/frm_teisei.h"
#include "windows/picture_box_view.h"
#include "windows/report_commands.h"
#include "windows/run_journal.h"
#include "windows/window_registry.h"

#include "ui_form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStandardPaths>
#include <QWindow>

namespace {

constexpr Rgb kFormBackground{0, 128, 128};

}  // namespace

int keyAsciiOf(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return OrderEntry::kKeyEnter;
        case Qt::Key_Backspace:
            return OrderEntry::kKeyBackSpace;
        case Qt::Key_Escape:
            return 27;
        default:
            break;
    }
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() != 0x7f)
        return text[0].unicode();
    // Some platforms send keypad keys without text.
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    switch (key) {
        case Qt::Key_Minus:
            return '-';
        case Qt::Key_Slash:
            return '/';
        case Qt::Key_Asterisk:
            return '*';
        case Qt::Key_Period:
            return '.';
        case Qt::Key_Equal:
            return '=';
        case Qt::Key_Plus:
            return '+';
        default:
            return 0;
    }
}

int keyCodeOf(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Up:
            return OrderEntry::kKeyUp;
        case Qt::Key_Down:
            return OrderEntry::kKeyDown;
        default:
            return 0;
    }
}

Form1::Form1(RunContext& context)
    : ui(std::make_unique<Ui::Form1>()),
      context_(context),
      platform_(context.platform),
      engine_(context.job, platform_) {
    ui->setupUi(this);

    QPalette teal = ui->centralwidget->palette();
    teal.setColor(QPalette::Window,
                  QColor(kFormBackground.r, kFormBackground.g, kFormBackground.b));
    ui->centralwidget->setPalette(teal);
    ui->Pic1->setBackground(kPic1Background);
    ui->centralwidget->setFocusPolicy(Qt::ClickFocus);

    // The separators carry their names too.
    const QStringList separatorNames = {QStringLiteral("mnuS"), QStringLiteral("mnuSe"),
                                        QStringLiteral("mnusen")};
    int separator = 0;
    for (QMenu* menu : {ui->mnuFile, ui->mnuPrint})
        for (QAction* action : menu->actions())
            if (action->isSeparator() && separator < separatorNames.size())
                action->setObjectName(separatorNames[separator++]);

    // Buttons pressed with Enter as with Space, like classic command buttons.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(ui->Command2, &QPushButton::clicked, this, &Form1::saveJob);
    connect(ui->mnuSave, &QAction::triggered, this, &Form1::saveJob);
    connect(ui->mnuSettei, &QAction::triggered, this, &Form1::showSettings);

    // The three reports.
    const auto print = [this](void (*command)(const JobState&, Platform&)) {
        return [this, command] { command(context_.job, context_.platform); };
    };
    connect(ui->cbPrintAll, &QPushButton::clicked, this, print(printOrderCountReport));
    connect(ui->mnuJuchuu, &QAction::triggered, this, print(printOrderCountReport));
    connect(ui->cbPrintKojin, &QPushButton::clicked, this, print(printPupilReport));
    connect(ui->mnuKojin, &QAction::triggered, this, print(printPupilReport));
    connect(ui->cbPrintYakimasi, &QPushButton::clicked, this, print(printReprintReport));
    connect(ui->mnuYakimasi, &QAction::triggered, this, print(printReprintReport));

    connect(ui->cbMae, &QPushButton::clicked, this, [this] {
        apply({JournalEntry::Kind::PageEarlier});
        showDisplay();
    });
    connect(ui->cbAto, &QPushButton::clicked, this, [this] {
        apply({JournalEntry::Kind::PageLater});
        showDisplay();
    });
    connect(ui->VScroll1, &QScrollBar::valueChanged, this, [this](int value) {
        // The screen showing the engine's own count is no change.
        if (std::clamp(value, 1, OrderEntry::kCopyCountMax) != engine_.display().VScroll1)
            apply({JournalEntry::Kind::CopyCount, value});
        showDisplay();
    });
    connect(ui->Command1, &QPushButton::clicked, this, [this] {
        // The correction screen, modeless: this screen stays usable behind it.
        frmTeisei& correction = context_.windows.get<frmTeisei>();
        correction.show();
        correction.raise();
        correction.activateWindow();
    });
    connect(ui->Command3, &QPushButton::clicked, this, &Form1::finishInput);
    connect(ui->mnuQuit, &QAction::triggered, this, &Form1::finishInput);
    connect(ui->mnuNyuu, &QAction::triggered, this,
            [this] { context_.windows.get<frmNyuuryoku>().show(); });
    connect(ui->mnuVer, &QAction::triggered, this,
            [this] { context_.windows.get<frmAppli>().show(); });
    ActivationTracker::instance();
    engine_.setBeforeBlocking([this] { showDisplay(); });

    previewKeysOf(this);
    Form_Load();
}

Form1::~Form1() = default;

void Form1::previewKeysOf(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void Form1::Form_Load() {
    engine_.Form_Load(context_.programDirectory);
    showDisplay();
}

void Form1::switchOffListInputMethod() {
    ui->List1->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void Form1::finishInput() {
    apply({JournalEntry::Kind::FinishClose});
    showDisplay();
    showExitConfirmation();
}

void Form1::showExitConfirmation() {
    FrmEnd& confirmation = context_.windows.get<FrmEnd>();
    confirmation.show();
    confirmation.activateWindow();
}

void Form1::openAlertWindow(AlertWindow window) {
    // Each showing loads the window afresh.
    const auto open = [this](auto& alert) {
        connect(&alert, &AlertWindowBase::closed, this, &Form1::alertWindowClosed);
        alert.open(this);
    };
    if (window == AlertWindow::frmAlert)
        open(context_.windows.get<frmAlert>());
    else if (window == AlertWindow::frmStop)
        open(context_.windows.get<frmStop>());
}

void Form1::alertWindowClosed() {
    // Coming back from an alert is coming back from another window of the
    // program. The platform may have activated this window while it was
    // still disabled, so the activation is run here; running it twice does
    // no harm.
    apply({JournalEntry::Kind::AlertClosed});
    Form_Activate();
}

void Form1::refreshTotals() {
    engine_.refreshTotalLabels();
    showDisplay();
}

void Form1::saveJob() {
    // The dialog starts in the folder of the job file last saved, or else
    // loaded, in this run.
    QString lastUsed = lastSavedPath_;
    if (lastUsed.isEmpty())
        if (const FrmFilm* film = context_.windows.find<FrmFilm>())
            lastUsed = film->loadedFilePath();
    const QString suggestion =
        suggestedJobFilePath(context_.job, lastUsed,
                             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const SaveCommandOutcome outcome =
        saveJobFileCommand(context_.job, context_.platform, suggestion);
    if (!outcome.cancelled && outcome.result.saved) {
        lastSavedPath_ = outcome.path;
        // The file holds registered pupils only: an open pupil is not saved yet.
        markSavedInJournal(context_, context_.job.pendingEntry.isEmpty());
    }
    // Keying goes on where it was, not on the button.
    giveKeyingFocusBack();
}

void Form1::showSettings() {
    frmSetteiJoho& view = context_.windows.get<frmSetteiJoho>();
    view.show();
    view.raise();
    view.activateWindow();
}

void Form1::giveKeyingFocusBack() {
    // Also while a dialog is still in front: the screen gets the focus back
    // where keying goes on when it is active again.
    const InputDisplay& d = engine_.display();
    if (!d.form1Enabled)
        return;
    QWidget* target =
        d.focus == InputFocus::List1 ? static_cast<QWidget*>(ui->List1) : ui->centralwidget;
    if (focusWidget() != target)
        target->setFocus(Qt::OtherFocusReason);
}

void Form1::Form_Activate() {
    activatedOnce_ = true;
    apply({JournalEntry::Kind::Activate});
    showDisplay();
}

bool Form1::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        // An alert that closed has enabled the screen again already.
        if (isEnabled() && !engine_.display().form1Enabled)
            apply({JournalEntry::Kind::AlertClosed});
        const bool becomesActive =
            !activatedOnce_ || ActivationTracker::instance().cameFromProgramWindow(this);
        if (isEnabled() && becomesActive) {
            Form_Activate();
        }
    }
    return QMainWindow::event(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            previewKeysOf(child);
    } else if (event->type() == QEvent::KeyPress) {
        // A key travels from the focused control up to the window; it is
        // previewed once, where it starts.
        QWidget* first = QApplication::focusWidget();
        if (!first || first->window() != this)
            first = this;
        if (watched == first)
            handleKey(static_cast<QKeyEvent*>(event));
    }
    return false;  // the control still gets the key
}

void Form1::handleKey(QKeyEvent* event) {
    if (const int code = keyCodeOf(*event))
        apply({JournalEntry::Kind::KeyDown, code});
    if (const int ascii = keyAsciiOf(*event))
        apply({JournalEntry::Kind::KeyPress, ascii});
    showDisplay();
}

void Form1::closeEvent(QCloseEvent* event) {
    apply({JournalEntry::Kind::FinishClose});
    showDisplay();
    event->accept();
    context_.platform.endProgram();
}

void Form1::apply(const JournalEntry& entry) {
    // Finishing with no open pupil changes nothing: a saved run stays saved.
    if (entry.kind == JournalEntry::Kind::FinishClose && context_.job.pendingEntry.isEmpty())
        return;
    recordInJournal(context_, entry);
    applyInputEntry(engine_, entry);
}

void Form1::restoreJournal(const JournalContents& contents) {
    platform_.setMuted(true);
    for (const JournalEntry& entry : contents.entries) {
        if (entry.isCorrection())
            applyCorrectionEntry(context_.job, platform_, entry);
        else
            applyInputEntry(engine_, entry);
    }
    // An alert that was open when the run ended is not open now.
    if (!engine_.display().form1Enabled)
        engine_.alertClosed();
    platform_.setMuted(false);
    resumeJournal(context_, contents);
    showDisplay();
}

void Form1::showDisplay() {
    const InputDisplay& d = engine_.display();
    ui->Label1->setText(d.Label1);
    ui->Label3->setText(d.Label3);
    ui->Label5->setText(d.Label5);
    ui->Label13->setText(d.Label13);
    ui->tbHGoukei->setText(d.tbHGoukei);
    ui->tbNin->setText(d.tbNin);
    ui->tbDaiNanMai->setText(d.tbDaiNanMai);
    ui->tbChuNanMai->setText(d.tbChuNanMai);
    ui->tbShouNanMai->setText(d.tbShouNanMai);
    if (d.List1 != shownList_) {
        shownList_ = d.List1;
        ui->List1->clear();
        for (const QString& item : d.List1)
            ui->List1->addItem(PictureBoxView::displayText(item));
        ui->List1->scrollToBottom();
    }
    ui->VScroll1->setValue(d.VScroll1);
    ui->cbMae->setEnabled(d.cbMaeEnabled);
    ui->cbAto->setEnabled(d.cbAtoEnabled);
    ui->Pic1->showPicture(d.Pic1);
    setEnabled(d.form1Enabled);
    if (d.form1Enabled && isActiveWindow()) {
        QWidget* target =
            d.focus == InputFocus::List1 ? static_cast<QWidget*>(ui->List1) : ui->centralwidget;
        if (QApplication::focusWidget() != target)
            target->setFocus(Qt::OtherFocusReason);
    }
}
