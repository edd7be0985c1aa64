// SPDX-License-Identifier: MIT
#include "windows/photo_decoder.h"

#include <algorithm>

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
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

// What the reading threads and the window's thread share. A photo is
// queued (its task waiting for a thread), then read, once as wanted and once
// ahead at most.
struct PhotoDecoder::Shared {
    QMutex mutex;
    QString wantedKey;           // the photo wanted now
    QSet<QString> wantedQueued;  // wanted, waiting for a thread
    QSet<QString> wantedReading;
    QSet<QString> ahead;        // to read ahead; a waiting task not in here is dropped
    QSet<QString> aheadQueued;  // read-ahead tasks waiting for a thread
    QSet<QString> aheadReading;
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
    if (shared_->wantedQueued.contains(key) || shared_->wantedReading.contains(key))
        return;  // already on its way
    // Waiting to be read ahead, or being read ahead (slowly): read now, at
    // full speed.
    shared_->ahead.remove(key);
    shared_->wantedQueued.insert(key);
    lock.unlock();
    start(key, path, fit, false);
}

void PhotoDecoder::readAhead(const QStringList& paths, QSize fit) {
    QMutexLocker lock(&shared_->mutex);
    Shared& shared = *shared_;
    shared.ahead.clear();
    QStringList toStart;
    for (const QString& path : paths) {
        const QString key = keyOf(path, fit);
        if (cache_.contains(key) || shared.wantedQueued.contains(key) ||
            shared.wantedReading.contains(key) || shared.aheadReading.contains(key))
            continue;
        shared.ahead.insert(key);
        if (!shared.aheadQueued.contains(key)) {
            shared.aheadQueued.insert(key);
            toStart << path;
        }
    }
    lock.unlock();
    for (const QString& path : toStart)
        start(keyOf(path, fit), path, fit, true);
}

void PhotoDecoder::start(const QString& key, const QString& path, QSize fit, bool ahead) {
    auto task = [this, shared = shared_, key, path, fit, ahead] {
        {
            QMutexLocker lock(&shared->mutex);
            // A photo no longer wanted is dropped before it is read.
            if (ahead) {
                shared->aheadQueued.remove(key);
                if (!shared->ahead.remove(key))
                    return;
                shared->aheadReading.insert(key);
            } else {
                shared->wantedQueued.remove(key);
                if (shared->wantedKey != key)
                    return;
                shared->wantedReading.insert(key);
            }
        }
        if (ahead)
            QThread::currentThread()->setPriority(QThread::IdlePriority);
        QString error;
        const QImage image = decodePhoto(path, fit, &error);
        {
            QMutexLocker lock(&shared->mutex);
            (ahead ? shared->aheadReading : shared->wantedReading).remove(key);
        }
        QMetaObject::invokeMethod(
            this, [this, key, path, fit, image, error] { finished(key, path, fit, image, error); },
            Qt::QueuedConnection);
    };
    (ahead ? aheadPool_ : wantedPool_).start(task);
}

void PhotoDecoder::finished(const QString& key, const QString& path, QSize fit, const QImage& image,
                            const QString& error) {
    if (!image.isNull())
        cache_.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    emit decoded(path, fit, image, error);
}
