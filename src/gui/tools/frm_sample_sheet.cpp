// SPDX-License-Identifier: MIT
#include "gui/tools/frm_sample_sheet.h"

#include "domain/platform/platform.h"
#include "domain/tools/photo_folder.h"
#include "gui/run_photos.h"
#include "gui/tools/sample_sheet_reader.h"
#include "gui/tools/sample_sheet_renderer.h"
#include "gui/window_registry.h"

#include "ui_frm_sample_sheet.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>

const QString frmSampleSheet::kNoPhotos =
    QStringLiteral("写真フォルダ（%1）に写真がありません。\n見本写真は作られていません。");
const QString frmSampleSheet::kFolderUnreadable =
    QStringLiteral("写真フォルダ（%1）を読めません。\n見本写真は作られていません。");
const QString frmSampleSheet::kNoPhotosInRange = QStringLiteral(
    "写真フォルダの写真（%1枚）は、どれも大・中・小の範囲外の番号です。\n"
    "見本写真は作られていません。範囲外の写真も載せるときは「印を付けて載せる」を選んでくださ"
    "い。");
const QString frmSampleSheet::kSpoolFailed = QStringLiteral(
    "見本写真の一時ファイルを書き込めません（ディスクの空きが足りないかもしれません）。\n"
    "見本写真は作られていません。ジョブのデータと写真はそのままです。");
const QString frmSampleSheet::kReadingStatus = QStringLiteral("写真を読んでいます… %1 / %2 枚");
const QString frmSampleSheet::kCancelledStatus =
    QStringLiteral("中止しました。見本写真は作られていません。");
const QString frmSampleSheet::kDoneStatus = QStringLiteral("写真 %1 枚を %2 ページにしました。");
const QString frmSampleSheet::kUnreadableStatus = QStringLiteral("（読めない写真 %1 枚）");
const QString frmSampleSheet::kCheckingStatus = QStringLiteral("写真を確かめています…");
const QString frmSampleSheet::kUnreadablePhotos =
    QStringLiteral("読めなかった写真は、見本写真では写真のない枠になっています：\n%1");
const QString frmSampleSheet::kWhatIsMade = QStringLiteral("見本写真");

frmSampleSheet::frmSampleSheet(RunContext& context)
    : context_(context),
      ui(std::make_unique<Ui::frmSampleSheet>()),
      reader_(std::make_unique<SampleSheetReader>()),
      check_(new BackgroundWork(this)) {
    ui->setupUi(this);
    // Buttons pressed with Enter as with Space, like classic command buttons.
    ui->cmdMake->setAutoDefault(true);
    ui->cmdCancel->setAutoDefault(true);
    ui->prgReading->setVisible(false);
    connect(ui->cmdMake, &QPushButton::clicked, this, &frmSampleSheet::cmdMake_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmSampleSheet::cmdCancel_Click);
    connect(reader_.get(), &SampleSheetReader::progress, this, &frmSampleSheet::showProgress);
    connect(reader_.get(), &SampleSheetReader::finished, this, &frmSampleSheet::readingFinished);
}

frmSampleSheet::~frmSampleSheet() = default;

void frmSampleSheet::open() {
    // The first showing is centred over the window it was opened from.
    if (!placed_) {
        if (const QWidget* from = QApplication::activeWindow(); from && from != this)
            move(from->frameGeometry().center() - rect().center());
        placed_ = true;
    }
    showFolder();
    show();
    raise();
    activateWindow();
    ui->cmdMake->setFocus(Qt::OtherFocusReason);
}

SampleSheetOptions frmSampleSheet::options() const {
    SampleSheetOptions options;
    options.grid = ui->optGrid6->isChecked()    ? SampleSheetGrid::TwoByThree
                   : ui->optGrid20->isChecked() ? SampleSheetGrid::FourByFive
                                                : SampleSheetGrid::ThreeByFour;
    options.orientation = ui->optLandscape->isChecked() ? SampleSheetOrientation::Landscape
                                                        : SampleSheetOrientation::Portrait;
    options.outOfRange =
        ui->optOutMarked->isChecked() ? OutOfRangePhotos::Marked : OutOfRangePhotos::LeftOut;
    return options;
}

bool frmSampleSheet::isReading() const {
    return check_->isRunning() || reader_->isRunning();
}

void frmSampleSheet::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!isReading())
                cmdMake_Click();
            return;
        case Qt::Key_Escape:
            cmdCancel_Click();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void frmSampleSheet::closeEvent(QCloseEvent* event) {
    stopReading();
    QWidget::closeEvent(event);
}

void frmSampleSheet::showFolder() {
    ui->lblFolder->setText(photoFolderChosen(context_)
                               ? QDir::toNativeSeparators(runPhotoFolder(context_).path())
                               : QStringLiteral("（作成のときに選びます）"));
}

void frmSampleSheet::cmdMake_Click() {
    if (isReading())
        return;
    if (!photoFolderChosen(context_) && !choosePhotoFolder(context_))
        return;  // no folder chosen: nothing happens
    showFolder();
    const PhotoFolder& folder = runPhotoFolder(context_);
    const QString shownPath = QDir::toNativeSeparators(folder.path());
    if (!folder.isReadable()) {
        context_.platform.showMessage(kFolderUnreadable.arg(shownPath));
        return;
    }
    const QVector<int> numbers = folder.numbers();
    if (numbers.isEmpty()) {
        context_.platform.showMessage(kNoPhotos.arg(shownPath));
        return;
    }
    layout_ = layOutSampleSheets(context_.job, numbers, options());
    if (layout_.pageCount() == 0) {
        context_.platform.showMessage(kNoPhotosInRange.arg(numbers.size()));
        return;
    }
    // First the photos are looked at, on a thread of its own.
    QVector<PhotoFiles> photos;
    photos.reserve(layout_.photoCount());
    for (const auto& page : std::as_const(layout_.pages))
        for (const SampleSheetCell& cell : page)
            photos.append({cell.number, folder.filesOf(cell.number)});
    doubts_ = std::make_shared<QVector<PhotoDoubt>>();
    setReading(true);
    ui->prgReading->setRange(0, 0);
    ui->lblStatus->setText(kCheckingStatus);
    check_->start(
        [photos, doubts = doubts_](const std::atomic<bool>& cancel,
                                   const BackgroundWork::Progress&) {
            *doubts = findPhotoDoubts(photos, cancel);
        },
        [this] { checkDone(); });
}

void frmSampleSheet::checkDone() {
    if (check_->isCancelled()) {
        setReading(false);
        ui->lblStatus->setText(kCancelledStatus);
        return;
    }
    // The focus on stopping: an Enter typed ahead makes nothing.
    if (!doubts_->isEmpty() &&
        context_.platform.askChoice(photoDoubtQuestion(*doubts_, kWhatIsMade),
                                    {PhotoDoubtTexts::kGoOn, PhotoDoubtTexts::kStop}, 1, 1) != 0) {
        setReading(false);
        ui->lblStatus->setText(kCancelledStatus);
        return;
    }
    startReading();
}

void frmSampleSheet::startReading() {
    const PhotoFolder& folder = runPhotoFolder(context_);
    QVector<SampleSheetReader::Item> items;
    items.reserve(layout_.photoCount());
    for (const auto& page : std::as_const(layout_.pages))
        for (const SampleSheetCell& cell : page)
            items.append({cell.number, folder.fileOf(cell.number)});
    showProgress(0, int(items.size()));
    reader_->start(items, sampleSheetPrintFit(layout_), spoolFolder_);
}

void frmSampleSheet::cmdCancel_Click() {
    if (!isReading()) {
        close();
        return;
    }
    stopReading();
}

void frmSampleSheet::stopReading() {
    if (!isReading())
        return;
    check_->stop();
    reader_->stop();
    setReading(false);
    ui->lblStatus->setText(kCancelledStatus);
}

void frmSampleSheet::setReading(bool reading) {
    ui->fraGrid->setEnabled(!reading);
    ui->fraOrientation->setEnabled(!reading);
    ui->fraOutOfRange->setEnabled(!reading);
    ui->cmdMake->setEnabled(!reading);
    ui->prgReading->setVisible(reading);
    if (reading)
        ui->cmdCancel->setFocus(Qt::OtherFocusReason);
    else if (isVisible())
        ui->cmdMake->setFocus(Qt::OtherFocusReason);
}

void frmSampleSheet::showProgress(int done, int total) {
    ui->prgReading->setRange(0, std::max(1, total));
    ui->prgReading->setValue(done);
    ui->lblStatus->setText(kReadingStatus.arg(done).arg(total));
}

void frmSampleSheet::readingFinished(bool written) {
    setReading(false);
    if (!written) {
        ui->lblStatus->setText(kCancelledStatus);
        context_.platform.showMessage(kSpoolFailed);
        return;
    }
    const std::shared_ptr<const SampleSheetPhotos> photos = reader_->photos();
    QString status = kDoneStatus.arg(layout_.photoCount()).arg(layout_.pageCount());
    if (const int unreadable = photos->unreadableCount())
        status += kUnreadableStatus.arg(unreadable);
    ui->lblStatus->setText(status);
    QStringList unreadable;
    for (const auto& page : std::as_const(layout_.pages))
        for (const SampleSheetCell& cell : page)
            if (const SampleSheetPhotos::Photo* photo = photos->find(cell.number);
                photo && photo->offset < 0)
                unreadable << QStringLiteral("%1：%2").arg(cell.number).arg(photo->reason);
    if (!unreadable.isEmpty()) {
        constexpr int kListed = 20;
        const qsizetype more = unreadable.size() - kListed;
        unreadable = unreadable.mid(0, kListed);
        if (more > 0)
            unreadable << PhotoDoubtTexts::kMore.arg(more);
        context_.platform.showMessage(kUnreadablePhotos.arg(unreadable.join(u'\n')));
    }
    // The preview keeps the layout and the photos for as long as it is open,
    // after this window is gone too.
    context_.platform.previewReport(layout_.title,
                                    std::make_shared<SampleSheetPages>(layout_, photos));
}
