// SPDX-License-Identifier: MIT
#include "gui/tools/frm_lab_order.h"

#include "domain/files/file_replacement.h"
#include "domain/platform/platform.h"
#include "domain/tools/photo_folder.h"
#include "gui/run_photos.h"
#include "gui/setup/frm_film.h"
#include "gui/window_registry.h"

#include "ui_frm_lab_order.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStandardPaths>

const QString frmLabOrder::kChooseDestination = QStringLiteral("ラボ出力を作るフォルダーの選択");
const QString frmLabOrder::kChooseCardRoot =
    QStringLiteral("カードの書き込み先（空のカードか空のフォルダー）の選択");
const QString frmLabOrder::kNoDestination = QStringLiteral(
    "ラボ出力を作るフォルダー %1 がありません。参照ボタンで、あるフォルダーを選んでください。");
const QString frmLabOrder::kPhotoFolderUnreadable = QStringLiteral(
    "写真フォルダー %1 を読めません。カードや外付けディスクがつながっているか確かめてから、"
    "もう一度作成してください。ラボ出力は作っていません。");
const QString frmLabOrder::kWhatIsMade = QStringLiteral("ラボ出力");

namespace {
const QString kNoPhotoFolder = QStringLiteral("（まだ選ばれていません。作成のときに選びます）");
const QString kNoCards = QStringLiteral("（DPOF のラボ出力を作ると、ここにカードが並びます）");
}  // namespace

frmLabOrder::frmLabOrder(RunContext& context)
    : context_(context), ui(std::make_unique<Ui::frmLabOrder>()), work_(new BackgroundWork(this)) {
    ui->setupUi(this);
    ui->cmdMake->setAutoDefault(true);
    ui->cmdCancel->setAutoDefault(true);
    ui->cmdBrowse->setAutoDefault(true);
    ui->cmdWriteCard->setAutoDefault(true);
    ui->prgWork->setRange(0, 1000);
    ui->prgWork->setValue(0);
    ui->txtFolder->setText(QDir::toNativeSeparators(startFolder()));
    connect(ui->cmdMake, &QPushButton::clicked, this, &frmLabOrder::cmdMake_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmLabOrder::cmdCancel_Click);
    connect(ui->cmdBrowse, &QPushButton::clicked, this, &frmLabOrder::cmdBrowse_Click);
    connect(ui->cmdWriteCard, &QPushButton::clicked, this, &frmLabOrder::cmdWriteCard_Click);
    connect(work_, &BackgroundWork::progressed, ui->prgWork, &QProgressBar::setValue);
    connect(ui->chkDpof, &QCheckBox::toggled, this, &frmLabOrder::showForms);
    connect(ui->chkFolders, &QCheckBox::toggled, this, &frmLabOrder::showForms);
    showCards();
    showWorking(false);
}

// The work stops at its next file and removes what it made (BackgroundWork
// waits for it).
frmLabOrder::~frmLabOrder() = default;

void frmLabOrder::stopWork() {
    if (!work_->isRunning())
        return;
    work_->stop();
    endWork();
}

void frmLabOrder::endWork() {
    ui->prgWork->setRange(0, 1000);
    ui->prgWork->setValue(0);
    ui->cmdCancel->setEnabled(true);
    showWorking(false);
}

void frmLabOrder::open() {
    if (!placed_) {
        if (const QWidget* from = QApplication::activeWindow(); from && from != this)
            move(from->frameGeometry().center() - rect().center());
        placed_ = true;
    }
    ui->lblPhotoFolderPath->setText(photoFolderChosen(context_)
                                        ? QDir::toNativeSeparators(runPhotoFolder(context_).path())
                                        : kNoPhotoFolder);
    show();
    raise();
    activateWindow();
    if (!isWorking())
        ui->cmdMake->setFocus(Qt::OtherFocusReason);
}

void frmLabOrder::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmLabOrder::closeEvent(QCloseEvent* event) {
    // Closed while working: the work is cancelled, and the window stays
    // until it has stopped and told the operator.
    if (isWorking()) {
        work_->cancel();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

QString frmLabOrder::startFolder() const {
    if (const FrmFilm* film = context_.windows.find<FrmFilm>())
        if (!film->loadedFilePath().isEmpty())
            if (const QFileInfo loaded(film->loadedFilePath()); loaded.absoluteDir().exists())
                return loaded.absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void frmLabOrder::showForms() {
    ui->cmdMake->setEnabled(!isWorking() &&
                            (ui->chkDpof->isChecked() || ui->chkFolders->isChecked()));
}

void frmLabOrder::showCards() {
    ui->cboCard->clear();
    for (const LabOrderCard& card : std::as_const(cards_))
        ui->cboCard->addItem(
            QStringLiteral("%1　%2").arg(QFileInfo(card.folder).fileName(), labOrderCardText(card)),
            card.folder);
    if (cards_.isEmpty())
        ui->cboCard->addItem(kNoCards);
    ui->cboCard->setEnabled(!isWorking() && !cards_.isEmpty());
    ui->cmdWriteCard->setEnabled(!isWorking() && !cards_.isEmpty());
}

void frmLabOrder::showWorking(bool working) {
    ui->fraForms->setEnabled(!working);
    ui->txtFolder->setEnabled(!working);
    ui->cmdBrowse->setEnabled(!working);
    ui->prgWork->setEnabled(working);
    ui->cboCard->setEnabled(!working && !cards_.isEmpty());
    ui->cmdWriteCard->setEnabled(!working && !cards_.isEmpty());
    showForms();
}

void frmLabOrder::cmdBrowse_Click() {
    const QString chosen = context_.platform.chooseFolder(
        kChooseDestination, QDir::fromNativeSeparators(ui->txtFolder->text()));
    if (!chosen.isEmpty())
        ui->txtFolder->setText(QDir::toNativeSeparators(chosen));
}

void frmLabOrder::cmdCancel_Click() {
    if (isWorking()) {
        work_->cancel();
        ui->cmdCancel->setEnabled(false);
        return;
    }
    close();
}

void frmLabOrder::runInBackground(BackgroundWork::Task task, void (frmLabOrder::*done)()) {
    work_->start(std::move(task), [this, done] { (this->*done)(); });
    showWorking(true);
    ui->cmdCancel->setFocus(Qt::OtherFocusReason);
}

void frmLabOrder::cmdMake_Click() {
    if (isWorking() || !ui->cmdMake->isEnabled())
        return;
    const QString destination = QDir::fromNativeSeparators(ui->txtFolder->text().trimmed());
    if (destination.isEmpty() || !QFileInfo(destination).isDir()) {
        context_.platform.showMessage(kNoDestination.arg(ui->txtFolder->text()));
        return;
    }
    if (!photoFolderChosen(context_) && !choosePhotoFolder(context_))
        return;
    const PhotoFolder& photos = runPhotoFolder(context_);
    ui->lblPhotoFolderPath->setText(QDir::toNativeSeparators(photos.path()));
    if (!photos.isReadable()) {
        context_.platform.showMessage(
            kPhotoFolderUnreadable.arg(QDir::toNativeSeparators(photos.path())));
        return;
    }

    // Taken here, on the GUI thread: the operator may go on keying.
    snapshot_ = std::make_shared<LabOrderSnapshot>(takeLabOrderSnapshot(
        context_.job, [&photos](int number) { return photos.fileOf(number); }));
    forms_.dpof = ui->chkDpof->isChecked();
    forms_.plainFolders = ui->chkFolders->isChecked();
    destination_ = destination;
    QVector<PhotoFiles> ordered;
    for (const int number : labOrderNumbers(context_.job))
        if (const QStringList files = photos.filesOf(number); !files.isEmpty())
            ordered.append({number, files});

    // First the ordered photos are looked at: the bar is busy meanwhile.
    doubts_ = std::make_shared<QVector<PhotoDoubt>>();
    ui->prgWork->setRange(0, 0);
    runInBackground(
        [ordered, doubts = doubts_](const std::atomic<bool>& cancel,
                                    const BackgroundWork::Progress&) {
            *doubts = findPhotoDoubts(ordered, cancel);
        },
        &frmLabOrder::checkDone);
}

void frmLabOrder::checkDone() {
    const bool cancelled = work_->isCancelled();
    endWork();
    if (cancelled) {
        LabOrderResult result;
        result.cancelled = true;
        result.message = LabOrderTexts::kCancelled;
        context_.platform.showMessage(result.message);
        emit finished(result);
        return;
    }
    if (!doubts_->isEmpty()) {
        // The focus on stopping: an Enter typed ahead makes nothing.
        const int answer =
            context_.platform.askChoice(photoDoubtQuestion(*doubts_, kWhatIsMade),
                                        {PhotoDoubtTexts::kGoOn, PhotoDoubtTexts::kStop}, 1, 1);
        if (answer != 0)
            return;
    }
    snapshot_->doubts = *doubts_;
    makeOrder();
}

void frmLabOrder::makeOrder() {
    result_ = std::make_shared<LabOrderResult>();
    runInBackground(
        [snapshot = snapshot_, forms = forms_, now = QDateTime::currentDateTime(),
         destination = destination_,
         result = result_](const std::atomic<bool>& cancel, const LabOrderProgress& progress) {
            const LabOrderPlan plan =
                planLabOrder(*snapshot, forms, now, longestFileName(destination));
            *result = writeLabOrder(plan, destination, cancel, progress);
        },
        &frmLabOrder::makeDone);
}

void frmLabOrder::makeDone() {
    const LabOrderResult result = *result_;
    endWork();
    ui->prgWork->setValue(result.written ? 1000 : 0);
    if (result.written) {
        cards_ = result.cards;
        showCards();
        ui->txtFolder->setText(QDir::toNativeSeparators(QFileInfo(result.path).absolutePath()));
    }
    context_.platform.showMessage(result.message);
    emit finished(result);
}

void frmLabOrder::cmdWriteCard_Click() {
    if (isWorking() || cards_.isEmpty() || ui->cboCard->currentIndex() < 0)
        return;
    const QString card = ui->cboCard->currentData().toString();
    const QString root = context_.platform.chooseFolder(kChooseCardRoot, QString());
    if (root.isEmpty())
        return;
    cardResult_ = std::make_shared<LabOrderCardResult>();
    runInBackground(
        [card, root, result = cardResult_](const std::atomic<bool>& cancel,
                                           const LabOrderProgress& progress) {
            *result = writeLabOrderCard(card, root, cancel, progress);
        },
        &frmLabOrder::cardDone);
}

void frmLabOrder::cardDone() {
    const LabOrderCardResult result = *cardResult_;
    endWork();
    ui->prgWork->setValue(result.written ? 1000 : 0);
    context_.platform.showMessage(result.message);
    emit cardFinished(result);
}
