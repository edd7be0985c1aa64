// SPDX-License-Identifier: MIT
#include "gui/tools/frm_photo_preview.h"

#include "domain/job/job_state.h"
#include "domain/tools/sample_sheet.h"
#include "gui/input/form1.h"
#include "gui/run_photos.h"
#include "gui/window_registry.h"

#include "ui_frm_photo_preview.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QStandardPaths>

namespace {

// The window follows the typed number once the keys have rested for a
// frame: a key is shown on the input screen first, and the numbers passed
// on the way to the one typed (1 and 13 on the way to 132) are not read
// when the keys come faster than that.
constexpr int kFollowMilliseconds = 16;

const QColor kPhotoBackground(48, 48, 48);

}  // namespace

const QString frmPhotoPreview::kNoPhotoMark = QStringLiteral("写真がありません");
const QString frmPhotoPreview::kNoFolderMark = QStringLiteral("写真フォルダが選ばれていません");
const QString frmPhotoPreview::kUnreadableMark = QStringLiteral("写真を読めません");
const QString frmPhotoPreview::kOutOfRangeMark = QStringLiteral("範囲外");

frmPhotoPreview::frmPhotoPreview(RunContext& context)
    : context_(context),
      ui(std::make_unique<Ui::frmPhotoPreview>()),
      folder_(runPhotoFolder(context)) {
    ui->setupUi(this);
    // The keys stay with the input screen: the window is never activated,
    // neither when shown nor when clicked or moved.
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    for (QLabel* label : {ui->lblFile, ui->lblFolder})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->picPhoto->installEventFilter(this);
    // Empty or not, the texts keep their height: the photo's place does not
    // move (and its photo is not read again) as the number comes and goes.
    for (QLabel* label : {ui->lblNumber, ui->lblSize, ui->lblFile, ui->lblFolder})
        label->setMinimumHeight(label->fontMetrics().height());
    ui->picPhoto->setAttribute(Qt::WA_OpaquePaintEvent);

    followTimer_.setSingleShot(true);
    connect(&followTimer_, &QTimer::timeout, this, [this] {
        const qint64 rested = sinceChange_.isValid() ? sinceChange_.elapsed() : kFollowMilliseconds;
        if (rested < kFollowMilliseconds)
            followTimer_.start(int(kFollowMilliseconds - rested));
        else
            follow();
    });
    connect(ui->cmdFolder, &QPushButton::clicked, this, &frmPhotoPreview::cmdFolder_Click);
    connect(&decoder_, &PhotoDecoder::decoded, this, &frmPhotoPreview::photoDecoded);
    connect(&folder_, &PhotoFolder::changed, this, [this] {
        showFolderText();
        number_ = -1;  // its file may have come, gone or changed
        follow();
    });
    // The photo shown written to since (a copy that was not finished when it
    // was read): read again, as its size and time have changed.
    connect(&folder_, &PhotoFolder::photoChanged, this, [this](const QString& path) {
        if (path != path_)
            return;
        number_ = -1;
        follow();
    });
    showFolderText();
}

frmPhotoPreview::~frmPhotoPreview() = default;

void frmPhotoPreview::open(const QString& typed) {
    wantedNumber_ = photoNumberOfTyped(typed);
    if (!placed_) {
        placed_ = true;
        placeBesideInputScreen();
    }
    show();
    raise();
    number_ = -1;
    follow();
    if (!folderAsked_ && folder_.path().isEmpty()) {
        folderAsked_ = true;
        cmdFolder_Click();
    }
}

void frmPhotoPreview::showTypedNumber(const QString& typed) {
    wantedNumber_ = photoNumberOfTyped(typed);
    if (wantedNumber_ == number_ || !isVisible())
        return;
    // Not the timer restarted at every key: a key only notes its time.
    sinceChange_.start();
    if (!followTimer_.isActive())
        followTimer_.start(kFollowMilliseconds);
}

bool frmPhotoPreview::setFolder(const QString& path) {
    folderAsked_ = true;
    const bool readable = folder_.open(path);
    showFolderText();
    number_ = -1;
    follow();
    return readable;
}

void frmPhotoPreview::cmdFolder_Click() {
    folderAsked_ = true;
    choosePhotoFolder(context_);
}

QSize frmPhotoPreview::photoFit() const {
    return ui->picPhoto->size() * ui->picPhoto->devicePixelRatioF();
}

void frmPhotoPreview::follow() {
    followTimer_.stop();
    if (!isVisible() || wantedNumber_ == number_)
        return;
    const int number = wantedNumber_;
    number_ = number;
    const JobState& job = context_.job;
    ui->lblNumber->setText(number ? QString::number(number) : QString());
    const QString size = number ? sizeTextOf(job, number) : QString();
    ui->lblSize->setText(number && size.isEmpty() ? kOutOfRangeMark : size);

    // The same photo at another size stays until it has been read again.
    const QString path = folder_.fileOf(number);
    if (path != path_)
        image_ = QImage();
    path_ = path;
    folder_.watchPhoto(path_);
    mark_.clear();
    reason_.clear();
    const QSize fit = photoFit();
    if (number == 0) {
        // Nothing typed: nothing to show.
    } else if (folder_.path().isEmpty()) {
        mark_ = kNoFolderMark;
    } else if (path_.isEmpty()) {
        mark_ = kNoPhotoMark;
    } else {
        if (const QImage cached = decoder_.cached(path_, fit); !cached.isNull())
            image_ = cached;
        else
            decoder_.want(path_, fit);
    }
    showFileText();
    ui->picPhoto->setAccessibleDescription(mark_.isEmpty() ? fileText_ : mark_);
    ui->picPhoto->update();

    // The photos either side, read while the operator looks at this one.
    QStringList neighbours;
    for (const int other : {number + 1, number - 1})
        if (const QString file = folder_.fileOf(other); !file.isEmpty())
            neighbours << file;
    if (number)
        decoder_.readAhead(neighbours, fit);
}

void frmPhotoPreview::photoDecoded(const QString& path, QSize fit, const QImage& image,
                                   const QString& error) {
    if (path != path_ || fit != photoFit())
        return;
    image_ = image;
    if (image.isNull()) {
        mark_ = kUnreadableMark;
        reason_ = error;
        ui->picPhoto->setAccessibleDescription(reason_.isEmpty() ? mark_ : mark_ + u'\n' + reason_);
    } else {
        mark_.clear();
        reason_.clear();
        ui->picPhoto->setAccessibleDescription(fileText_);
    }
    ui->picPhoto->update();
}

bool frmPhotoPreview::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        // Where the window system activates it all the same, the keys go
        // straight back to the input screen.
        Form1* input = context_.windows.find<Form1>();
        if (input && input->isVisible() && input->isEnabled())
            QTimer::singleShot(0, input, [input] {
                if (input->isEnabled())
                    input->activateWindow();
            });
    }
    return QWidget::event(event);
}

bool frmPhotoPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->picPhoto && event->type() == QEvent::Paint) {
        paintPhoto();
        return true;
    }
    if (watched == ui->picPhoto && event->type() == QEvent::Resize && !path_.isEmpty()) {
        // The photo read again at its new size, once the resizing rests.
        number_ = -1;
        sinceChange_.start();
        followTimer_.start(kFollowMilliseconds);
    }
    return QWidget::eventFilter(watched, event);
}

void frmPhotoPreview::paintPhoto() {
    QWidget* area = ui->picPhoto;
    QPainter painter(area);
    painter.fillRect(area->rect(), kPhotoBackground);
    if (!image_.isNull()) {
        // Read at this size; while the window is being resized, scaled to fit.
        const qreal ratio = area->devicePixelRatioF();
        QSizeF size = QSizeF(image_.size()) / ratio;
        if (size.width() > area->width() || size.height() > area->height())
            size.scale(area->size(), Qt::KeepAspectRatio);
        const QRectF target((area->width() - size.width()) / 2,
                            (area->height() - size.height()) / 2, size.width(), size.height());
        painter.drawImage(target, image_);
        if (paintedPhoto_ != number_) {
            paintedPhoto_ = number_;
            emit photoPainted(number_);
        }
        return;
    }
    paintedPhoto_ = 0;
    if (mark_.isEmpty())
        return;
    QFont font = area->font();
    font.setPointSizeF(font.pointSizeF() * 2);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(mark_ == kNoPhotoMark || mark_ == kUnreadableMark ? QColor(255, 120, 100)
                                                                     : QColor(230, 230, 230));
    if (reason_.isEmpty()) {
        painter.drawText(area->rect(), Qt::AlignCenter | Qt::TextWordWrap, mark_);
        return;
    }
    // The mark just above the middle, the reason in the window's own type
    // under it.
    const QRect rect = area->rect().adjusted(12, 0, -12, 0);
    const QRect upper(rect.left(), rect.top(), rect.width(), rect.height() / 2 - 4);
    const QRect lower(rect.left(), rect.top() + rect.height() / 2 + 4, rect.width(),
                      rect.height() - rect.height() / 2 - 4);
    painter.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, mark_);
    painter.setFont(area->font());
    painter.setPen(QColor(230, 230, 230));
    painter.drawText(lower, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, reason_);
}

void frmPhotoPreview::showFileText() {
    const QStringList names = folder_.namesOf(number_);
    if (names.isEmpty()) {
        fileText_.clear();
    } else if (names.size() == 1) {
        fileText_ = names.constFirst();
    } else {
        // The first name is shown; the operator is told of the others.
        fileText_ = QStringLiteral("%1（同じ番号のファイルがほかに%2個あります: %3）")
                        .arg(names.constFirst())
                        .arg(names.size() - 1)
                        .arg(names.mid(1).join(QStringLiteral("、")));
    }
    ui->lblFile->setText(
        ui->lblFile->fontMetrics().elidedText(fileText_, Qt::ElideRight, ui->lblFile->width()));
    ui->lblFile->setToolTip(fileText_);
}

void frmPhotoPreview::showFolderText() {
    if (folder_.path().isEmpty())
        folderText_ = kNoFolderMark;
    else if (!folder_.isReadable())
        folderText_ = QStringLiteral("写真フォルダを読めません: %1")
                          .arg(QDir::toNativeSeparators(folder_.path()));
    else
        folderText_ = QStringLiteral("写真フォルダ: %1（写真 %2 枚）")
                          .arg(QDir::toNativeSeparators(folder_.path()))
                          .arg(folder_.photoCount());
    ui->lblFolder->setText(ui->lblFolder->fontMetrics().elidedText(folderText_, Qt::ElideMiddle,
                                                                   ui->lblFolder->width()));
    ui->lblFolder->setToolTip(folderText_);
}

void frmPhotoPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showFileText();
    showFolderText();
}

void frmPhotoPreview::placeBesideInputScreen() {
    const Form1* input = context_.windows.find<Form1>();
    const QScreen* screen = input ? input->screen() : nullptr;
    if (!input || !input->isVisible() || !screen)
        return;
    // On the side of the input screen with more room, narrowed to fit it
    // (the window frame is not known before the first showing: room is left
    // for one).
    constexpr int kFrameRoom = 16;
    const QRect frame = input->frameGeometry();
    const QRect room = screen->availableGeometry();
    const int roomRight = room.right() - frame.right() - kFrameRoom;
    const int roomLeft = frame.left() - room.left() - kFrameRoom;
    const bool atRight = roomRight >= roomLeft;
    const int w =
        std::max(minimumSizeHint().width(), std::min(width(), atRight ? roomRight : roomLeft));
    resize(w, height());
    int x = atRight ? frame.right() + 1 : frame.left() - w - kFrameRoom;
    x = std::clamp(x, room.left(), std::max(room.left(), room.right() + 1 - w - kFrameRoom));
    move(x, frame.top());
}
