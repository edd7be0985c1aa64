// SPDX-License-Identifier: MIT
#include "windows/photo_decoder.h"

#include <algorithm>

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

namespace {

// The photos kept, in KiB of pixels: some forty photos of a large screen.
constexpr int kCacheKiB = 96 * 1024;

}  // namespace

QImage decodePhoto(const QString& path, QSize fit, QString* error) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    QSize target;
    if (stored.isValid() && !stored.isEmpty() && fit.isValid() && !fit.isEmpty()) {
        QSize shown = stored;
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            shown.transpose();
        target = shown.width() > fit.width() || shown.height() > fit.height()
                     ? shown.scaled(fit, Qt::KeepAspectRatio)
                     : shown;
        // The scaled size is the file's own, before it is turned upright.
        QSize read = target;
        if (reader.format() == "jpeg") {
            // The smallest fraction the decoder makes by itself that is not
            // much smaller than the size shown; what is missing is made up
            // by scaling.
            int fraction = 1;
            while (fraction < 8 && shown.width() / (2 * fraction) >= target.width() * 3 / 4 &&
                   shown.height() / (2 * fraction) >= target.height() * 3 / 4)
                fraction *= 2;
            read = QSize((shown.width() + fraction - 1) / fraction,
                         (shown.height() + fraction - 1) / fraction);
        }
        if (read != shown)
            reader.setScaledSize(shown == stored ? read : read.transposed());
    }
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return {};
    }
    if (!target.isValid())
        target = image.size().boundedTo(fit.isValid() && !fit.isEmpty() ? fit : image.size());
    if (image.size() != target) {
        const QSize fitted = image.size().scaled(target, Qt::KeepAspectRatio);
        image = image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // In the form the screen draws from without converting.
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

// What the reading threads and the window's thread share.
struct PhotoDecoder::Shared {
    QMutex mutex;
    QString wantedKey;    // the photo wanted now
    QSet<QString> ahead;  // photos to read ahead, not yet started
};

PhotoDecoder::PhotoDecoder(QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()), cache_(kCacheKiB) {
    // A photo wanted while another is still being read is read beside it,
    // where the machine has the cores: one is left to the keys.
    wantedPool_.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 2));
    aheadPool_.setMaxThreadCount(1);
}

PhotoDecoder::~PhotoDecoder() {
    {
        QMutexLocker lock(&shared_->mutex);
        shared_->wantedKey.clear();
        shared_->ahead.clear();
    }
    wantedPool_.clear();
    aheadPool_.clear();
    wantedPool_.waitForDone();
    aheadPool_.waitForDone();
}

QString PhotoDecoder::keyOf(const QString& path, QSize fit) {
    // The file's time and size in the key: a photo replaced under the same
    // name is read again.
    const QFileInfo file(path);
    return path + u'\n' + QString::number(file.lastModified().toMSecsSinceEpoch()) + u'\n' +
           QString::number(file.size()) + u'\n' + QString::number(fit.width()) + u'x' +
           QString::number(fit.height());
}

QImage PhotoDecoder::cached(const QString& path, QSize fit) const {
    const QImage* image = cache_.object(keyOf(path, fit));
    return image ? *image : QImage();
}

void PhotoDecoder::want(const QString& path, QSize fit) {
    const QString key = keyOf(path, fit);
    if (cache_.contains(key))
        return;
    QMutexLocker lock(&shared_->mutex);
    shared_->wantedKey = key;
    const auto reading = reading_.constFind(key);
    if (reading != reading_.cend() && !reading->ahead)
        return;  // already on its way
    // Read ahead or not at all yet: read now, at full speed.
    shared_->ahead.remove(key);
    lock.unlock();
    start(key, path, fit, false);
}

void PhotoDecoder::readAhead(const QStringList& paths, QSize fit) {
    QMutexLocker lock(&shared_->mutex);
    shared_->ahead.clear();
    QVector<std::pair<QString, QString>> toStart;
    for (const QString& path : paths) {
        const QString key = keyOf(path, fit);
        if (cache_.contains(key))
            continue;
        const auto reading = reading_.constFind(key);
        if (reading == reading_.cend())
            toStart.append({key, path});
        else if (reading->ahead)
            shared_->ahead.insert(key);  // its waiting task takes it up again
    }
    for (const auto& [key, path] : toStart)
        shared_->ahead.insert(key);
    lock.unlock();
    for (const auto& [key, path] : toStart)
        start(key, path, fit, true);
}

void PhotoDecoder::start(const QString& key, const QString& path, QSize fit, bool ahead) {
    const int ticket = ++lastTicket_;
    reading_.insert(key, {ticket, ahead});
    auto task = [this, shared = shared_, key, path, fit, ahead, ticket] {
        {
            QMutexLocker lock(&shared->mutex);
            // A photo no longer wanted is dropped before it is read.
            const bool stillWanted = ahead ? shared->ahead.remove(key) : shared->wantedKey == key;
            if (!stillWanted) {
                lock.unlock();
                QMetaObject::invokeMethod(
                    this, [this, key, ticket] { finished(key, ticket, {}, {}, {}, {}, true); },
                    Qt::QueuedConnection);
                return;
            }
        }
        if (ahead)
            QThread::currentThread()->setPriority(QThread::IdlePriority);
        QString error;
        const QImage image = decodePhoto(path, fit, &error);
        QMetaObject::invokeMethod(
            this,
            [this, key, ticket, path, fit, image, error] {
                finished(key, ticket, path, fit, image, error, false);
            },
            Qt::QueuedConnection);
    };
    (ahead ? aheadPool_ : wantedPool_).start(task);
}

void PhotoDecoder::finished(const QString& key, int ticket, const QString& path, QSize fit,
                            const QImage& image, const QString& error, bool dropped) {
    const auto reading = reading_.constFind(key);
    if (reading != reading_.cend() && reading->ticket == ticket)
        reading_.erase(reading);
    if (dropped)
        return;
    if (!image.isNull())
        cache_.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    emit decoded(path, fit, image, error);
}
