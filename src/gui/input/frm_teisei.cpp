// SPDX-License-Identifier: MIT
#include "gui/input/frm_teisei.h"

#include "domain/journal/journal.h"
#include "gui/activation_tracker.h"
#include "gui/alerts/frm_t_alert.h"
#include "gui/input/form1.h"
#include "gui/input/frm_pupil_tie.h"
#include "gui/run_journal.h"
#include "gui/window_registry.h"

#include "ui_frm_teisei.h"

#include <algorithm>
#include <limits>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QWindow>

namespace {

constexpr int kFormFontPoints = 12;
constexpr qreal kTextBoxFontPoints = 15.75;
const QColor kCaptionBackground(255, 255, 128);  // Label5's background, as in the form

// A Japanese proportional Gothic face: the first of these the system has.
const QStringList kGothicFamilies = {
    QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"),
    QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI"),
    QStringLiteral("IPAexGothic"),  QStringLiteral("IPAGothic"),
};

// Shrinks a label's type until its text fits its box, on one line or, for a
// wrapping label, on the lines its height holds. The form was laid out for a
// compact Gothic face; wider letters or taller lines would cut the text.
void fitTextToBox(QLabel* label) {
    constexpr qreal kSmallestPoints = 8;
    constexpr qreal kStep = 0.5;
    QFont font = label->font();
    const int flags = Qt::AlignLeft | Qt::AlignTop | (label->wordWrap() ? Qt::TextWordWrap : 0);
    for (qreal points = font.pointSizeF(); points >= kSmallestPoints; points -= kStep) {
        font.setPointSizeF(points);
        const QRect needed = QFontMetrics(font).boundingRect(
            QRect(0, 0, label->width(), std::numeric_limits<int>::max() / 2), flags, label->text());
        const bool fits = needed.width() <= label->width() &&
                          (!label->wordWrap() || needed.height() <= label->height());
        if (fits)
            break;
    }
    if (font != label->font())
        label->setFont(font);
}

void showText(QLineEdit* box, const QString& text) {
    if (box->text() != text)
        box->setText(text);
}

}  // namespace

frmTeisei::frmTeisei(RunContext& context)
    : QWidget(nullptr),
      ui(std::make_unique<Ui::frmTeisei>()),
      context_(context),
      correction_(context.job, context.platform) {
    // The form font first: controls with a style sheet take the font they
    // find when they are built.
    QFont gothic = font();
    gothic.setFamilies(kGothicFamilies);
    gothic.setPointSize(kFormFontPoints);
    setFont(gothic);
    ui->setupUi(this);
    plainSize_ = size();
    setFixedSize(plainSize_);
    // What a screen reader reads for each box: the question beside it.
    ui->Text1->setAccessibleName(ui->Label1->text());
    ui->Text2->setAccessibleName(ui->Label10->text());

    for (QLineEdit* box : {ui->Text1, ui->Text2}) {
        QFont large = gothic;
        large.setPointSizeF(kTextBoxFontPoints);
        box->setFont(large);
    }
    // The upper picture covers the lower part of its caption, as in the
    // classic layout with its compact face; the caption paints its letters
    // from their top, so that a face with a tall line box keeps them whole.
    ui->Label5->installEventFilter(this);
    // The big arrow is a picture set in type: its wide line box does not matter.
    for (QLabel* label : findChildren<QLabel*>())
        if (label != ui->Label3)
            fitTextToBox(label);
    ui->Pic1->setBackground(kPic1Background);
    ui->Pic2->setBackground(kPic1Background);

    const QColor shadow = QApplication::palette().color(QPalette::Dark);
    if (shadow.isValid())
        correction_.setButtonShadowColour({shadow.red(), shadow.green(), shadow.blue()});

    // Buttons pressed with Enter as with Space, like classic command buttons.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(ui->Text1, &QLineEdit::textChanged, this, [this](const QString& text) {
        // A text the correction has set itself has run its change handler already.
        if (text == correction_.display().Text1)
            return;
        correction_.setText1(text);
        showDisplay();
    });
    connect(ui->Text2, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text == correction_.display().Text2)
            return;
        correction_.setText2(text);
        showDisplay();
    });
    connect(ui->Command2, &QPushButton::clicked, this, &frmTeisei::Command2_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &frmTeisei::Command4_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &frmTeisei::Command3_Click);
    connect(ui->cmdPupilTie, &QPushButton::clicked, this, &frmTeisei::changePupilTie);
    ActivationTracker::instance();
    correction_.setBeforeBlocking([this] { showDisplay(); });
    ui->Text1->installEventFilter(this);

    showDisplay();
}

frmTeisei::~frmTeisei() = default;

void frmTeisei::Form_Activate() {
    activatedOnce_ = true;
    correction_.Form_Activate(returningFromAlert_);
    showDisplay();
}

void frmTeisei::Text1_KeyPress(int keyAscii) {
    correction_.Text1_KeyPress(keyAscii);
    showDisplay();
}

bool frmTeisei::showRegisteredPerson(int person) {
    const QString number = QString::number(person);
    if (!isEnabled() || personNumberOf(number, context_.job) != person)
        return false;
    // As the operator does it: the box emptied, the number typed, Enter.
    ui->Text1->clear();
    ui->Text1->setText(number);
    Text1_KeyPress(RecordCorrection::kKeyEnter);
    show();
    raise();
    activateWindow();
    return true;
}

void frmTeisei::Command2_Click() {
    const CorrectionDisplay& d = correction_.display();
    recordInJournal(context_, {JournalEntry::Kind::CorrectionAdd, d.Text1, d.Text2});
    afterEdit(correction_.Command2_Click());
}

void frmTeisei::Command4_Click() {
    const CorrectionDisplay& d = correction_.display();
    recordInJournal(context_, {JournalEntry::Kind::CorrectionDelete, d.Text1, d.Text2});
    afterEdit(correction_.Command4_Click());
}

void frmTeisei::afterEdit(EditOutcome outcome) {
    // The totals show on the input screen at once.
    if (outcome == EditOutcome::Done)
        if (Form1* form1 = context_.windows.find<Form1>())
            form1->refreshTotals();
    showDisplay();
    if (outcome == EditOutcome::OutOfRange)
        openAlertWindow();
}

void frmTeisei::Command3_Click() {
    correction_.Command3_Click();
    showDisplay();
    hide();
    // The input screen becomes the active window again; its activation shows
    // the corrected totals and history.
    if (Form1* form1 = context_.windows.find<Form1>(); form1 && form1->isVisible())
        form1->activateWindow();
}

void frmTeisei::openAlertWindow() {
    // Each showing loads the alert afresh; it disables this screen while open
    // and puts the focus back into Text2 when it closes.
    frmTAlert& alert = context_.windows.get<frmTAlert>();
    connect(&alert, &AlertWindowBase::closed, this, &frmTeisei::alertWindowClosed);
    alert.open(this, ui->Text2);
}

void frmTeisei::alertWindowClosed() {
    correction_.alertClosed();
    // Coming back from the alert is an activation, however the window system
    // reports it (some send the focus nowhere in between, some to another
    // window first). It runs here; a report that follows straight from the
    // alert is not another one, and any activation until this window has the
    // focus again leaves the focus in Text2.
    returningFromAlert_ = true;
    Form_Activate();
    if (isActiveWindow())
        returningFromAlert_ = false;
}

bool frmTeisei::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        const bool becomesActive =
            !activatedOnce_ || ActivationTracker::instance().cameFromProgramWindow(this);
        if (isEnabled() && becomesActive)
            Form_Activate();
        returningFromAlert_ = false;
    }
    return QWidget::event(event);
}

bool frmTeisei::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Label5 && event->type() == QEvent::Paint) {
        paintCaptionFromLetterTop(ui->Label5);
        return true;
    }
    if (watched == ui->Text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            Text1_KeyPress(RecordCorrection::kKeyEnter);
    }
    return false;  // the box still gets the key
}

void frmTeisei::paintCaptionFromLetterTop(QLabel* caption) {
    QPainter painter(caption);
    painter.fillRect(caption->rect(), kCaptionBackground);
    const QFontMetrics metrics(caption->font());
    const QRect letters = metrics.tightBoundingRect(caption->text());
    painter.setFont(caption->font());
    painter.setPen(caption->palette().color(QPalette::WindowText));
    painter.drawText(QPoint(0, std::min(metrics.ascent(), -letters.top())), caption->text());
}

void frmTeisei::closeEvent(QCloseEvent* event) {
    // The close button unloads the window: its next showing starts afresh.
    event->accept();
    if (context_.windows.find<frmTeisei>() == this)
        context_.windows.unload<frmTeisei>();
}

void frmTeisei::hideEvent(QHideEvent* event) {
    // The next showing is an activation, wherever the focus went meanwhile.
    if (!event->spontaneous())
        activatedOnce_ = false;
    QWidget::hideEvent(event);
}

void frmTeisei::showDisplay() {
    const CorrectionDisplay& d = correction_.display();
    showText(ui->Text1, d.Text1);
    showText(ui->Text2, d.Text2);
    ui->Label7->setVisible(d.Label7Visible);
    ui->Label8->setVisible(d.Label8Visible);
    ui->Label12->setVisible(d.Label12Visible);
    ui->Pic1->showPicture(d.Pic1);
    ui->Pic2->showPicture(d.Pic2);
    setEnabled(d.frmTeiseiEnabled);
    if (const auto focus = correction_.takeFocusRequest())
        (*focus == CorrectionFocus::Text1 ? ui->Text1 : ui->Text2)->setFocus(Qt::OtherFocusReason);
    showPupilTie();
}

int frmTeisei::shownPupil() const {
    return correction_.display().Label12Visible
               ? 0
               : personNumberOf(correction_.display().Text1, context_.job);
}

void frmTeisei::showPupilTie() {
    const bool hasRoster = !context_.companion.roster.isEmpty();
    if (ui->lblPupilTie->isVisibleTo(this) != hasRoster) {
        ui->lblPupilTie->setVisible(hasRoster);
        ui->cmdPupilTie->setVisible(hasRoster);
        const int rowHeight = ui->cmdPupilTie->geometry().bottom() + 1 - plainSize_.height() + 8;
        setFixedSize(plainSize_ + QSize(0, hasRoster ? rowHeight : 0));
    }
    if (!hasRoster)
        return;
    const int pupil = shownPupil();
    ui->cmdPupilTie->setEnabled(pupil > 0);
    QString text;
    if (pupil > 0) {
        const QString tied =
            tiedPupilText(context_.companion.roster, context_.slipTies.tieOf(pupil));
        text = QStringLiteral("名簿：") +
               (tied.isEmpty() ? QStringLiteral("（結び付いていません）") : tied);
    }
    const QString elided =
        ui->lblPupilTie->fontMetrics().elidedText(text, Qt::ElideRight, ui->lblPupilTie->width());
    if (ui->lblPupilTie->text() != elided) {
        ui->lblPupilTie->setText(elided);
        ui->lblPupilTie->setToolTip(text);
    }
}

void frmTeisei::changePupilTie() {
    const int pupil = shownPupil();
    if (pupil <= 0)
        return;
    auto* box = new frmPupilTie(context_.companion.roster, this, true);
    connect(box, &frmPupilTie::chosen, this, [this, pupil](std::optional<int> rosterPupil) {
        recordInJournal(context_, JournalEntry::tie(pupil, rosterPupil));
        context_.slipTies.tieRegistered(pupil, rosterPupil);
        showPupilTie();
    });
    connect(box, &QDialog::finished, this, [this] { activateWindow(); });
    box->open();
}
