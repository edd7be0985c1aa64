// SPDX-License-Identifier: MIT
#include "windows/frm_lab_order.h"

#include "domain/files/file_replacement.h"
#include "domain/platform/platform.h"
#include "domain/tools/photo_folder.h"
#include "windows/frm_film.h"
#include "windows/run_photos.h"
#include "windows/window_registry.h"

#include "ui_frm_lab_order.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QThread>

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
    : context_(context), ui(std::make_unique<Ui::frmLabOrder>()) {
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
    connect(ui->chkDpof, &QCheckBox::toggled, this, &frmLabOrder::showForms);
    connect(ui->chkFolders, &QCheckBox::toggled, this, &frmLabOrder::showForms);
    showCards();
    showWorking(false);
}

frmLabOrder::~frmLabOrder() {
    // The work stops at its next file and removes what it made.
    if (worker_) {
        cancel_->store(true);
        worker_->wait();
    }
}

void frmLabOrder::stopWork() {
    if (!worker_)
        return;
    cancel_->store(true);
    worker_->wait();
    endWork();
}

void frmLabOrder::endWork() {
    ++generation_;
    worker_->deleteLater();
    worker_ = nullptr;
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
    if (!worker_)
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
    if (worker_) {
        cancel_->store(true);
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
    ui->cmdMake->setEnabled(!worker_ && (ui->chkDpof->isChecked() || ui->chkFolders->isChecked()));
}

void frmLabOrder::showCards() {
    ui->cboCard->clear();
    for (const LabOrderCard& card : std::as_const(cards_))
        ui->cboCard->addItem(
            QStringLiteral("%1　%2").arg(QFileInfo(card.folder).fileName(), labOrderCardText(card)),
            card.folder);
    if (cards_.isEmpty())
        ui->cboCard->addItem(kNoCards);
    ui->cboCard->setEnabled(!worker_ && !cards_.isEmpty());
    ui->cmdWriteCard->setEnabled(!worker_ && !cards_.isEmpty());
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
    if (worker_) {
        cancel_->store(true);
        ui->cmdCancel->setEnabled(false);
        return;
    }
    close();
}

void frmLabOrder::runInBackground(Task task, void (frmLabOrder::*done)()) {
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    permille_ = std::make_shared<std::atomic<int>>(-1);
    worker_ = QThread::create(
        [task = std::move(task), cancel = cancel_, permille = permille_, window = this] {
            task(*cancel, [&](int finished, int total) {
                const int value = total > 0 ? int(qint64(finished) * 1000 / total) : 0;
                // Told to the window when it moves, not at every file.
                if (permille->exchange(value) != value)
                    QMetaObject::invokeMethod(
                        window, [window, value] { window->ui->prgWork->setValue(value); },
                        Qt::QueuedConnection);
            });
        });
    const int generation = ++generation_;
    connect(worker_, &QThread::finished, this, [this, generation, done] {
        if (generation == generation_)
            (this->*done)();
    });
    showWorking(true);
    ui->cmdCancel->setFocus(Qt::OtherFocusReason);
    worker_->start();
}

void frmLabOrder::cmdMake_Click() {
    if (worker_ || !ui->cmdMake->isEnabled())
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

    // Taken here, on the keys' thread: the operator may go on keying.
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
        [ordered, doubts = doubts_](const std::atomic<bool>& cancel, const LabOrderProgress&) {
            *doubts = findPhotoDoubts(ordered, cancel);
        },
        &frmLabOrder::checkDone);
}

void frmLabOrder::checkDone() {
    const bool cancelled = cancel_->load();
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
    if (worker_ || cards_.isEmpty() || ui->cboCard->currentIndex() < 0)
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
