// SPDX-License-Identifier: MIT
#include "gui/input/form1.h"

#include "domain/files/job_file_commands.h"
#include "domain/journal/journal.h"
#include "domain/tools/job_combine.h"
#include "gui/activation_tracker.h"
#include "gui/alerts/frm_alert.h"
#include "gui/alerts/frm_stop.h"
#include "gui/dialogs/frm_appli.h"
#include "gui/dialogs/frm_end.h"
#include "gui/dialogs/frm_nyuuryoku.h"
#include "gui/input/form1_accessibility.h"
#include "gui/input/frm_teisei.h"
#include "gui/input/input_labels.h"
#include "gui/input/recent_entries.h"
#include "gui/input/slip_tie_keying.h"
#include "gui/printing/report_commands.h"
#include "gui/run_companion.h"
#include "gui/run_journal.h"
#include "gui/run_photos.h"
#include "gui/setup/frm_film.h"
#include "gui/setup/frm_settei_joho.h"
#include "gui/tools/frm_lab_export.h"
#include "gui/tools/frm_lab_order.h"
#include "gui/tools/frm_photo_preview.h"
#include "gui/tools/frm_photo_search.h"
#include "gui/tools/frm_roster_import.h"
#include "gui/tools/frm_roster_print.h"
#include "gui/tools/frm_sample_sheet.h"
#include "gui/tools/run_tools.h"
#include "gui/widgets/picture_box_view.h"
#include "gui/window_registry.h"

#include "ui_form1.h"

#include <cmath>
#include <optional>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHash>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStaticText>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QWindow>

namespace {

constexpr Rgb kFormBackground{0, 128, 128};

}  // namespace

Form1::Form1(RunContext& context)
    : ui(std::make_unique<Ui::Form1>()),
      context_(context),
      platform_(context.platform),
      engine_(context.job, platform_) {
    ui->setupUi(this);
    setupControls();
    setupMenus();
    connectCommands();
    connectPagesAndCopyCount();
    ActivationTracker::instance();
    // The run's journal tells a failure here while the screen shows.
    context_.showJournalWarning = [this] {
        if (!isVisible())
            return false;
        showJournalWarning();
        return true;
    };
    engine_.setBeforeBlocking([this] { showDisplay(); });
    // A number without a photo is marked once a photo folder is chosen and
    // can be read (a memory card taken out says nothing of the photos).
    engine_.setPhotoCheck([this](int number) {
        if (!photoFolderChosen(context_))
            return true;
        const PhotoFolder& folder = runPhotoFolder(context_);
        return !folder.isReadable() || !folder.fileOf(number).isEmpty();
    });

    tieKeying_ = new SlipTieKeying(
        context_, this, ui->lblPupil,
        [this](int key) {
            apply({JournalEntry::Kind::KeyPress, key});
        },
        [this] { showDisplay(); });

    previewKeysOf(this);
    Form_Load();
}

void Form1::setupControls() {
    QPalette teal = ui->centralwidget->palette();
    teal.setColor(QPalette::Window,
                  QColor(kFormBackground.r, kFormBackground.g, kFormBackground.b));
    ui->centralwidget->setPalette(teal);
    ui->Pic1->setBackground(kPic1Background);
    ui->centralwidget->setFocusPolicy(Qt::ClickFocus);
    ui->List1->setItemDelegate(newRecentEntriesDelegate(ui->List1));
    changingLabels_ = std::make_unique<ChangingLabels>();
    changingLabels_->count = ui->Label5;
    for (QLabel* label :
         {ui->Label5, ui->tbDaiNanMai, ui->tbChuNanMai, ui->tbShouNanMai, ui->tbHGoukei}) {
        label->setAttribute(Qt::WA_OpaquePaintEvent);
        changingLabels_->labels.append(label);
    }
    ui->lblJournalWarning->setText(RunJournalTexts::kWriteFailedLine);
    ui->lblJournalWarning->setToolTip(RunJournalTexts::kWriteFailed);
    ui->lblJournalWarning->hide();

    // Buttons pressed with Enter as with Space, like classic command buttons.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
}

void Form1::setupMenus() {
    // The separators carry their names too.
    const QStringList separatorNames = {QStringLiteral("mnuS"), QStringLiteral("mnuSe"),
                                        QStringLiteral("mnusen")};
    int separator = 0;
    for (QMenu* menu : {ui->mnuFile, ui->mnuPrint})
        for (QAction* action : menu->actions())
            if (action->isSeparator() && separator < separatorNames.size())
                action->setObjectName(separatorNames[separator++]);
}

void Form1::connectCommands() {
    connect(ui->Command2, &QPushButton::clicked, this, &Form1::saveJob);
    connect(ui->mnuSave, &QAction::triggered, this, &Form1::saveJob);
    connect(ui->mnuSettei, &QAction::triggered, this, &Form1::showSettings);

    // The three reports, each a button and a menu entry.
    const auto print = [this](void (*command)(const JobState&, Platform&)) {
        return [this, command] { command(context_.job, context_.platform); };
    };
    connect(ui->cbPrintAll, &QPushButton::clicked, this, print(printOrderCountReport));
    connect(ui->mnuJuchuu, &QAction::triggered, this, print(printOrderCountReport));
    // 個人別 with the names of the job's roster, when it has one.
    const auto printPupils = [this] {
        printPupilReport(context_.job, context_.companion, context_.platform);
    };
    connect(ui->cbPrintKojin, &QPushButton::clicked, this, printPupils);
    connect(ui->mnuKojin, &QAction::triggered, this, printPupils);
    connect(ui->cbPrintYakimasi, &QPushButton::clicked, this, print(printReprintReport));
    connect(ui->mnuYakimasi, &QAction::triggered, this, print(printReprintReport));

    connect(ui->Command1, &QPushButton::clicked, this, [this] {
        // The correction screen, modeless: this screen stays usable behind it.
        frmTeisei& correction = context_.windows.get<frmTeisei>();
        correction.show();
        correction.raise();
        correction.activateWindow();
    });
    connect(ui->Command3, &QPushButton::clicked, this, &Form1::finishInput);
    connect(ui->mnuQuit, &QAction::triggered, this, &Form1::finishInput);

    // Help, the about window and the tools.
    connect(ui->mnuNyuu, &QAction::triggered, this,
            [this] { context_.windows.get<frmNyuuryoku>().show(); });
    connect(ui->mnuVer, &QAction::triggered, this,
            [this] { context_.windows.get<frmAppli>().show(); });
    connect(ui->mnuPhotoSearch, &QAction::triggered, this,
            [this] { context_.windows.get<frmPhotoSearch>().open(); });
    connect(ui->mnuPhotoPreview, &QAction::triggered, this, [this] {
        frmPhotoPreview& preview = context_.windows.get<frmPhotoPreview>();
        connect(this, &Form1::typedNumberChanged, &preview, &frmPhotoPreview::showTypedNumber,
                Qt::UniqueConnection);
        preview.open(shown_.Label1);
    });
    connect(ui->mnuLabExport, &QAction::triggered, this,
            [this] { context_.windows.get<frmLabExport>().open(); });
    connect(ui->mnuSampleSheet, &QAction::triggered, this,
            [this] { context_.windows.get<frmSampleSheet>().open(); });
    connect(ui->mnuLabOrder, &QAction::triggered, this,
            [this] { context_.windows.get<frmLabOrder>().open(); });
    connect(ui->mnuCombine, &QAction::triggered, this, &Form1::combineJobFile);
    connect(ui->mnuRosterImport, &QAction::triggered, this,
            [this] { context_.windows.get<frmRosterImport>().open(); });
    connect(ui->mnuRosterPrint, &QAction::triggered, this,
            [this] { context_.windows.get<frmRosterPrint>().open(); });
}

void Form1::connectPagesAndCopyCount() {
    connect(ui->cbMae, &QPushButton::clicked, this, [this] {
        apply({JournalEntry::Kind::PageEarlier});
        showDisplay();
    });
    connect(ui->cbAto, &QPushButton::clicked, this, [this] {
        apply({JournalEntry::Kind::PageLater});
        showDisplay();
    });
    connect(ui->VScroll1, &QScrollBar::actionTriggered, this, &Form1::VScroll1_ActionTriggered);
    connect(ui->VScroll1, &QScrollBar::valueChanged, this, [this](int value) {
        // The screen showing the engine's own count is no change.
        if (std::clamp(value, 1, OrderEntry::kCopyCountMax) != engine_.display().VScroll1)
            apply({JournalEntry::Kind::CopyCount, value});
        showDisplay();
    });
}

Form1::~Form1() {
    context_.showJournalWarning = nullptr;
}

void Form1::previewKeysOf(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void Form1::Form_Load() {
    engine_.Form_Load(context_.programDirectory);
    // The job file loaded on the setup screen, for a restored run to save to.
    if (const FrmFilm* film = context_.windows.find<FrmFilm>())
        noteJobFileInJournal(context_, film->loadedFilePath());
    showDisplay();
}

void Form1::switchOffListInputMethod() {
    ui->List1->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void Form1::finishInput() {
    showExitConfirmation();
}

void Form1::showExitConfirmation() {
    if (hasUnsavedWork(context_.job, context_.jobFile)) {
        if (mayEndRun())
            context_.platform.endProgram();
        return;
    }
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

bool Form1::mayEndRun() {
    // A tool at work is asked about first, and stopped only once the run
    // is sure to end.
    if (!mayStopRunTools(context_)) {
        giveKeyingFocusBack();
        return false;
    }
    if (!mayEndWithUnsavedWork())
        return false;
    stopRunTools(context_);
    return true;
}

bool Form1::mayEndWithUnsavedWork() {
    if (!hasUnsavedWork(context_.job, context_.jobFile))
        return true;
    // The focus starts on going back: an Enter typed ahead must not end the
    // run or write a file.
    const int answer = context_.platform.askChoice(
        Form1Texts::kUnsavedQuestion,
        {Form1Texts::kSaveAndEnd, Form1Texts::kEndWithoutSaving, Form1Texts::kGoBack}, 2, 2);
    switch (answer) {
        case 0:
            return saveBeforeEnd() && !hasUnsavedWork(context_.job, context_.jobFile);
        case 1:
            // Ending registers an open pupil, into the journal set aside.
            apply({JournalEntry::Kind::FinishClose});
            showDisplay();
            setAsideRunJournal(context_);
            return true;
        default:
            giveKeyingFocusBack();
            return false;
    }
}

bool Form1::saveJob() {
    return runSaveCommand(context_.job, false);
}

bool Form1::saveBeforeEnd() {
    if (context_.job.pendingEntry.isEmpty())
        return runSaveCommand(context_.job, false);
    JobState closed = context_.job;
    // A full job keeps its open pupil (the engine has said why).
    if (!OrderEntry(closed, context_.platform).closeOpenEntryForFinish())
        return false;
    return runSaveCommand(closed, true);
}

bool Form1::runSaveCommand(const JobState& job, bool registersOpenPupil) {
    // The dialog proposes the job file last saved, or else loaded, in this
    // run.
    const QString suggestion =
        suggestedJobFilePath(job, context_.jobFile.path,
                             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const SaveCommandOutcome outcome =
        saveJobFileCommand(job, context_.platform, suggestion, context_.jobFile);
    const bool saved = !outcome.cancelled && outcome.result.saved;
    if (saved) {
        if (registersOpenPupil) {
            apply({JournalEntry::Kind::FinishClose});
            showDisplay();
        }
        context_.jobFile = {outcome.path, outcome.result.fileDigest, jobFileDigest(context_.job)};
        saveRunCompanion(context_, outcome.path);
        // The file holds registered pupils only: an open pupil is not saved yet.
        markSavedInJournal(context_, context_.job.pendingEntry.isEmpty(), outcome.path);
    }
    // Keying goes on where it was, not on the button.
    giveKeyingFocusBack();
    return saved;
}

void Form1::combineJobFile() {
    QString path;
    if (const std::optional<JobState> other =
            chooseJobToCombine(context_.job, context_.platform, &path, context_.companion)) {
        const int firstNew = int(context_.job.personCount) + 1;
        // Into the journal whole, and on the disk, before the job changes.
        const JournalEntry entry = JournalEntry::combine(*other);
        recordInJournal(context_, entry);
        applyJournalEntry(engine_, platform_, entry);
        tieKeying_->afterEntry(entry);
        // Its pupils' ties to the school's roster come with them.
        const std::optional<JobCompanion> theirs = readJobCompanionBeside(path);
        if (theirs && int(context_.job.personCount) >= firstNew) {
            const int notCarried = carryCombinedTies(context_.companion, *theirs, firstNew);
            recordCompanionInJournal(context_);
            if (notCarried > 0)
                context_.platform.showMessage(JobCompanionTexts::kTiesNotCarried.arg(notCarried));
        }
    }
    showDisplay();
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

void Form1::VScroll1_ActionTriggered(int action) {
    // The count grows upwards: the selector shows 1 at the bottom, and its
    // upper arrow and the trough above the slider raise the count (the
    // wheel and the keys already move it that way).
    QScrollBar* scroll = ui->VScroll1;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            scroll->setSliderPosition(scroll->value() - scroll->singleStep());
            break;
        case QAbstractSlider::SliderSingleStepSub:
            scroll->setSliderPosition(scroll->value() + scroll->singleStep());
            break;
        case QAbstractSlider::SliderPageStepAdd:
            scroll->setSliderPosition(scroll->value() - scroll->pageStep());
            break;
        case QAbstractSlider::SliderPageStepSub:
            scroll->setSliderPosition(scroll->value() + scroll->pageStep());
            break;
        default:
            break;
    }
}

void Form1::paintTypedNumber() {
    QLabel* label = ui->Label1;
    QPainter painter(label);
    QStyleOption option;
    option.initFrom(label);
    label->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, label);
    const QColor colour = label->palette().color(QPalette::WindowText);
    const qreal ratio = label->devicePixelRatioF();
    if (!typedNumberGlyphs_ || typedNumberGlyphs_->font != label->font() ||
        typedNumberGlyphs_->colour != colour || typedNumberGlyphs_->pixelRatio != ratio) {
        typedNumberGlyphs_ = std::make_unique<GlyphImages>();
        typedNumberGlyphs_->font = label->font();
        typedNumberGlyphs_->colour = colour;
        typedNumberGlyphs_->pixelRatio = ratio;
    }
    // Right-aligned and centred upright, as the label sets its text.
    const QString text = label->text();
    qreal width = 0;
    for (const QChar c : text)
        width += typedNumberGlyphs_->of(c).advance;
    const QRect area = label->contentsRect();
    const qreal height = QFontMetricsF(label->font()).height();
    qreal x = area.right() + 1 - width;
    const qreal top = area.top() + (area.height() - height) / 2;
    for (const QChar c : text) {
        const GlyphImages::Glyph& glyph = typedNumberGlyphs_->of(c);
        painter.drawPixmap(QPointF(x - GlyphImages::kOverhang, top), glyph.image);
        x += glyph.advance;
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == ui->Label1) {
        paintTypedNumber();
        return true;
    }
    if (event->type() == QEvent::Paint && changingLabels_->labels.contains(watched))
        return changingLabels_->paint(static_cast<QLabel*>(watched));
    if (event->type() == QEvent::FocusIn && watched == ui->List1) {
        // Whatever took the focus (a menu, a message box, a click, an alert
        // window), the list comes back showing its newest entry.
        showNewestRecentEntry();
    } else if (event->type() == QEvent::ChildAdded) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            previewKeysOf(child);
    } else if (event->type() == QEvent::KeyPress) {
        // A key travels from the focused control up to the window; it is
        // previewed once, where it starts.
        QWidget* first = QApplication::focusWidget();
        if (!first || first->window() != this)
            first = this;
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == first)
            handleKey(key);
        // The recent-entries list would take a typed character as the start
        // of an item to look for, and jump to a separator at "-"; it keeps
        // its arrow and paging keys only.
        if (watched == ui->List1 && !key->text().isEmpty() && key->text()[0].isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return true;
    }
    return false;  // the control still gets the key
}

void Form1::handleKey(QKeyEvent* event) {
    // A slip's code read by a scanner, or the roster's box: not the keying's.
    if (tieKeying_->takeKey(keyAsciiOf(*event), event->timestamp())) {
        showDisplay();
        return;
    }
    if (const int code = keyCodeOf(*event))
        apply({JournalEntry::Kind::KeyDown, code});
    if (const int ascii = keyAsciiOf(*event))
        apply({JournalEntry::Kind::KeyPress, ascii});
    showDisplay();
    Form1Accessibility::describeKeying({ui->List1, ui->centralwidget}, engine_.display());
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!mayEndRun()) {
        event->ignore();
        return;
    }
    event->accept();
    context_.platform.endProgram();
}

void Form1::apply(const JournalEntry& entry) {
    // Finishing with no open pupil changes nothing: a saved run stays saved.
    if (entry.kind == JournalEntry::Kind::FinishClose && context_.job.pendingEntry.isEmpty())
        return;
    recordInJournal(context_, entry);
    applyInputEntry(engine_, entry);
    tieKeying_->afterEntry(entry);
}

void Form1::restoreJournal(const JournalContents& contents) {
    platform_.setMuted(true);
    tieKeying_->resync();
    for (const JournalEntry& entry : contents.entries) {
        if (entry.kind == JournalEntry::Kind::Companion)
            restoreRunCompanion(context_, entry.text1.toUtf8());
        applyJournalEntry(engine_, platform_, entry);
        tieKeying_->afterEntry(entry);
    }
    // An alert that was open when the run ended is not open now.
    if (!engine_.display().form1Enabled)
        engine_.alertClosed();
    platform_.setMuted(false);
    resumeJournal(context_, contents);
    // Saving proposes the job file the run before worked on, and still
    // will not write over another program's save of it.
    context_.jobFile = {contents.jobFilePath, contents.jobFileDigest, {}};
    showDisplay();
}

void Form1::showJournalWarning() {
    const bool atRisk = context_.journal && context_.journal->atRisk();
    if (ui->lblJournalWarning->isHidden() == atRisk)
        ui->lblJournalWarning->setVisible(atRisk);
}

void Form1::showDisplay() {
    const InputDisplay& d = engine_.display();
    const bool all = !shownOnce_;
    shownOnce_ = true;
    const auto showText = [this, all](QLabel* label, const QString& now, QString& shown) {
        if (all || now != shown) {
            shown = now;
            label->setText(now);
            if (label == changingLabels_->count)
                changingLabels_->countShown();
        }
    };
    if (all || d.Label1 != shown_.Label1) {
        showText(ui->Label1, d.Label1, shown_.Label1);
        emit typedNumberChanged(d.Label1);
    }
    showText(ui->Label3, d.Label3, shown_.Label3);
    showText(ui->Label5, d.Label5, shown_.Label5);
    showText(ui->Label13, d.Label13, shown_.Label13);
    showText(ui->tbHGoukei, d.tbHGoukei, shown_.tbHGoukei);
    showText(ui->tbNin, d.tbNin, shown_.tbNin);
    showText(ui->tbDaiNanMai, d.tbDaiNanMai, shown_.tbDaiNanMai);
    showText(ui->tbChuNanMai, d.tbChuNanMai, shown_.tbChuNanMai);
    showText(ui->tbShouNanMai, d.tbShouNanMai, shown_.tbShouNanMai);
    if (all || d.List1 != shown_.List1)
        showRecentEntries(d.List1);
    if (ui->VScroll1->value() != d.VScroll1)
        ui->VScroll1->setValue(d.VScroll1);
    if (all || d.cbMaeEnabled != shown_.cbMaeEnabled)
        ui->cbMae->setEnabled(shown_.cbMaeEnabled = d.cbMaeEnabled);
    if (all || d.cbAtoEnabled != shown_.cbAtoEnabled)
        ui->cbAto->setEnabled(shown_.cbAtoEnabled = d.cbAtoEnabled);
    ui->Pic1->showPicture(d.Pic1);  // repaints only a new drawing
    if (isEnabled() != d.form1Enabled)
        setEnabled(d.form1Enabled);
    if (d.form1Enabled && isActiveWindow()) {
        QWidget* target =
            d.focus == InputFocus::List1 ? static_cast<QWidget*>(ui->List1) : ui->centralwidget;
        if (QApplication::focusWidget() != target)
            target->setFocus(Qt::OtherFocusReason);
    }
}

void Form1::showRecentEntries(const QStringList& items) {
    // The list changes at its ends: prints come in at the end (the oldest
    // dropping off the front), a removed print goes from near the end. Keep
    // the items both lists share and change only the rest.
    QStringList& shown = shown_.List1;
    QListWidget* list = ui->List1;
    const auto sameRun = [&](qsizetype from, qsizetype to, qsizetype count) {
        for (qsizetype i = 0; i < count; ++i)
            if (shown[from + i] != items[to + i])
                return false;
        return true;
    };
    // The shown items that stay: those left after dropping some from the
    // front, or the ones before the first that differs, whichever are more.
    qsizetype dropped = 0;
    qsizetype kept = 0;
    for (qsizetype d = 0; d < shown.size(); ++d) {
        const qsizetype count = std::min(shown.size() - d, items.size());
        if (sameRun(d, 0, count)) {
            dropped = d;
            kept = count;
            break;
        }
    }
    qsizetype prefix = 0;
    while (prefix < shown.size() && prefix < items.size() && shown[prefix] == items[prefix])
        ++prefix;
    if (prefix > kept) {
        dropped = 0;
        kept = prefix;
    }
    if (list->count() != shown.size()) {
        dropped = 0;
        kept = 0;
        list->clear();
    }
    // The list would paint every row again after any change of its rows.
    // The rows that stay are moved up instead, their pixels with them, and
    // only the rows after them are painted: the view's own repaint is held
    // back while the rows change and are laid out.
    QWidget* viewport = list->viewport();
    const int pitch = kept > 0 ? rowPitchOf(list) : 0;
    const bool moveRows = pitch > 0 && viewport->isVisible() && viewport->updatesEnabled();
    if (moveRows)
        viewport->setAttribute(Qt::WA_UpdatesDisabled);
    for (qsizetype i = 0; i < dropped; ++i)
        delete list->takeItem(0);
    while (list->count() > kept)
        delete list->takeItem(list->count() - 1);
    for (qsizetype i = list->count(); i < items.size(); ++i)
        list->addItem(PictureBoxView::displayText(items[i]));
    if (moveRows) {
        list->doItemsLayout();
        viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
        if (rowPitchOf(list) == pitch) {
            if (dropped > 0)
                viewport->scroll(0, -int(dropped) * pitch);
            viewport->update(QRect(0, int(kept) * pitch, viewport->width(), viewport->height()));
        } else {
            viewport->update();
        }
    }
    shown = items;
    showNewestRecentEntry();
}

void Form1::showNewestRecentEntry() {
    QListWidget* list = ui->List1;
    if (list->count() == 0)
        return;
    const QModelIndex newest = list->model()->index(list->count() - 1, 0);
    if (list->currentIndex() != newest || list->selectionModel()->hasSelection())
        list->selectionModel()->setCurrentIndex(newest, QItemSelectionModel::Clear);
    list->scrollToBottom();
}
