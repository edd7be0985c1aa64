// SPDX-License-Identifier: MIT
#include "gui/tools/sample_sheet_reader.h"

#include "domain/files/system_files.h"
#include "gui/tools/photo_decoder.h"

#include <algorithm>

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryFile>
#include <QThread>

namespace {

// The JPEG quality of the spool: what a printed sample needs, a third of
// the bytes of a copy kept as it was read.
constexpr int kSpoolQuality = 88;

const QString kUnreadable = QStringLiteral("画像を読み取れません");

}  // namespace

SampleSheetPhotos::SampleSheetPhotos() = default;
SampleSheetPhotos::~SampleSheetPhotos() = default;

const SampleSheetPhotos::Photo* SampleSheetPhotos::find(int number) const {
    const auto it = std::lower_bound(photos_.cbegin(), photos_.cend(), number,
                                     [](const Photo& photo, int n) { return photo.number < n; });
    return it != photos_.cend() && it->number == number ? &*it : nullptr;
}

QImage SampleSheetPhotos::printImage(const Photo& photo) const {
    return image(photo, QSize());
}

QImage SampleSheetPhotos::image(const Photo& photo, QSize fit) const {
    if (photo.offset < 0 || !spool_ || !spool_->seek(photo.offset))
        return {};
    QByteArray bytes = spool_->read(photo.length);
    if (bytes.size() != photo.length)
        return {};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "JPEG");
    const QSize size = reader.size();
    if (fit.isValid() && !fit.isEmpty() && size.isValid() &&
        (size.width() > fit.width() || size.height() > fit.height()))
        reader.setScaledSize(size.scaled(fit, Qt::KeepAspectRatio));
    return reader.read();
}

int SampleSheetPhotos::unreadableCount() const {
    return int(std::count_if(photos_.cbegin(), photos_.cend(),
                             [](const Photo& photo) { return photo.offset < 0; }));
}

// What the reading thread works on. The window's thread reads `stop` and
// `done` while it runs, and the rest once it has ended.
struct SampleSheetReader::Work {
    QVector<Item> items;
    QSize printFit;
    std::shared_ptr<SampleSheetPhotos> photos = std::make_shared<SampleSheetPhotos>();
    std::atomic<bool> stop{false};
    std::atomic<int> done{0};
    bool written = true;

    void run() {
        QTemporaryFile& spool = *photos->spool_;
        if (!spool.isOpen()) {
            written = false;
            return;
        }
        PhotoReading reading;
        reading.stop = [this] { return stop.load(std::memory_order_relaxed); };
        photos->photos_.reserve(items.size());
        for (const Item& item : std::as_const(items)) {
            if (stop.load())
                return;
            SampleSheetPhotos::Photo photo;
            photo.number = item.number;
            QImage image = decodePhoto(item.path, printFit, &photo.reason, reading);
            if (stop.load())
                return;
            if (image.isNull()) {
                if (photo.reason.isEmpty())
                    photo.reason = kUnreadable;
            } else {
                if (image.hasAlphaChannel()) {
                    // A JPEG has no transparency: on white paper, as printed.
                    QImage flat(image.size(), QImage::Format_RGB32);
                    flat.fill(Qt::white);
                    QPainter(&flat).drawImage(0, 0, image);
                    image = flat;
                }
                QByteArray bytes;
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::WriteOnly);
                image.save(&buffer, "JPEG", kSpoolQuality);
                photo.offset = spool.pos();
                photo.length = bytes.size();
                // Flushed at once, so a full disk shows here and not later.
                if (spool.write(bytes) != bytes.size() || !spool.flush()) {
                    written = false;
                    return;
                }
            }
            photos->photos_.append(std::move(photo));
            done.fetch_add(1);
        }
    }
};

SampleSheetReader::SampleSheetReader(QObject* parent) : QObject(parent) {
    poll_.setInterval(100);
    connect(&poll_, &QTimer::timeout, this, [this] { emit progress(done(), total_); });
}

SampleSheetReader::~SampleSheetReader() {
    stop();
}

int SampleSheetReader::done() const {
    return work_ ? work_->done.load() : 0;
}

void SampleSheetReader::start(const QVector<Item>& items, QSize printFit,
                              const QString& spoolFolder) {
    stop();
    result_.reset();
    work_ = std::make_shared<Work>();
    work_->items = items;
    work_->printFit = printFit;
    const QString folder = spoolFolder.isEmpty() ? QDir::tempPath() : spoolFolder;
    // Made here, on the window's thread, which owns it once the reading ends.
    work_->photos->spool_ = std::make_unique<QTemporaryFile>(
        QDir(folder).filePath(QStringLiteral("pictor-sheets-XXXXXX.spool")));
    work_->photos->spool_->open();
    total_ = int(items.size());

    const int generation = ++generation_;
    thread_ = QThread::create([work = work_] {
        // Low, not idle, priority: the GUI thread comes first, but the
        // sheets still come while another program keeps the processors busy.
        SystemFiles::lowerThreadPriority();
        work->run();
    });
    connect(thread_, &QThread::finished, this, [this, generation] {
        if (generation == generation_)
            threadEnded();
    });
    thread_->start();
    poll_.start();
}

void SampleSheetReader::stop() {
    ++generation_;
    poll_.stop();
    if (thread_) {
        work_->stop = true;
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
    work_.reset();
}

void SampleSheetReader::threadEnded() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    poll_.stop();
    const std::shared_ptr<Work> work = std::move(work_);
    emit progress(work->done.load(), total_);
    if (work->written)
        result_ = work->photos;
    emit finished(work->written);
}
