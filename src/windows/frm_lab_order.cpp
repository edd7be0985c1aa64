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

namespace {
const QString kChooseDestination = QStringLiteral("ラボ出力を作るフォルダーの選択");
const QString kNoPhotoFolder = QStringLiteral("（まだ選ばれていません。作成のときに選びます）");
const QString kNoDestination = QStringLiteral(
    "ラボ出力を作るフォルダー %1 がありません。参照ボタンで、あるフォルダーを選んでください。");
const QString kPhotoFolderUnreadable = QStringLiteral(
    "写真フォルダー %1 を読めません。カードや外付けディスクがつながっているか確かめてから、"
    "もう一度作成してください。ラボ出力は作っていません。");
}  // namespace

frmLabOrder::frmLabOrder(RunContext& context)
    : context_(context), ui(std::make_unique<Ui::frmLabOrder>()) {
    ui->setupUi(this);
    ui->cmdMake->setAutoDefault(true);
    ui->cmdCancel->setAutoDefault(true);
    ui->cmdBrowse->setAutoDefault(true);
    ui->prgWork->setRange(0, 1000);
    ui->prgWork->setValue(0);
    ui->txtFolder->setText(QDir::toNativeSeparators(startFolder()));
    connect(ui->cmdMake, &QPushButton::clicked, this, &frmLabOrder::cmdMake_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmLabOrder::cmdCancel_Click);
    connect(ui->cmdBrowse, &QPushButton::clicked, this, &frmLabOrder::cmdBrowse_Click);
    connect(ui->chkDpof, &QCheckBox::toggled, this, &frmLabOrder::showForms);
    connect(ui->chkFolders, &QCheckBox::toggled, this, &frmLabOrder::showForms);
    showWorking(false);
}

frmLabOrder::~frmLabOrder() {
    // The work stops at its next file and removes what it made.
    if (worker_) {
        cancel_->store(true);
        worker_->wait();
    }
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
            return QFileInfo(film->loadedFilePath()).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void frmLabOrder::showForms() {
    ui->cmdMake->setEnabled(!worker_ && (ui->chkDpof->isChecked() || ui->chkFolders->isChecked()));
}

void frmLabOrder::showWorking(bool working) {
    ui->fraForms->setEnabled(!working);
    ui->txtFolder->setEnabled(!working);
    ui->cmdBrowse->setEnabled(!working);
    ui->prgWork->setEnabled(working);
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
    auto snapshot = std::make_shared<LabOrderSnapshot>(takeLabOrderSnapshot(
        context_.job, [&photos](int number) { return photos.fileOf(number); }));
    LabOrderForms forms;
    forms.dpof = ui->chkDpof->isChecked();
    forms.plainFolders = ui->chkFolders->isChecked();
    const QDateTime now = QDateTime::currentDateTime();

    cancel_ = std::make_shared<std::atomic<bool>>(false);
    result_ = std::make_shared<LabOrderResult>();
    permille_ = std::make_shared<std::atomic<int>>(0);
    ui->prgWork->setValue(0);
    worker_ = QThread::create([snapshot, forms, now, destination, cancel = cancel_,
                               result = result_, permille = permille_, window = this] {
        const LabOrderPlan plan = planLabOrder(*snapshot, forms, now, longestFileName(destination));
        const LabOrderProgress progress = [&](int done, int total) {
            const int value = total > 0 ? int(qint64(done) * 1000 / total) : 0;
            // Told to the window when it moves, not at every file.
            if (permille->exchange(value) != value)
                QMetaObject::invokeMethod(
                    window, [window, value] { window->ui->prgWork->setValue(value); },
                    Qt::QueuedConnection);
        };
        *result = writeLabOrder(plan, destination, *cancel, progress);
    });
    connect(worker_, &QThread::finished, this, &frmLabOrder::workDone);
    showWorking(true);
    ui->cmdCancel->setFocus(Qt::OtherFocusReason);
    worker_->start();
}

void frmLabOrder::workDone() {
    worker_->wait();
    worker_->deleteLater();
    worker_ = nullptr;
    const LabOrderResult result = *result_;
    ui->prgWork->setValue(result.written ? 1000 : 0);
    ui->cmdCancel->setEnabled(true);
    showWorking(false);
    context_.platform.showMessage(result.message);
    if (result.written)
        ui->txtFolder->setText(QDir::toNativeSeparators(QFileInfo(result.path).absolutePath()));
    emit finished(result);
}
