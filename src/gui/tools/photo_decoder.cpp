// SPDX-License-Identifier: MIT
#include "gui/tools/photo_decoder.h"

#include <algorithm>
#include <optional>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QThread>

namespace {

// The photos kept, in KiB of pixels: some forty photos of a large screen.
constexpr int kCacheKiB = 96 * 1024;

// A JPEG's frame, from the segments before it: whether it is progressive
// (its coefficients all held until the last scan) and how many colour
// components it has.
struct JpegFrame {
    bool progressive = false;
    int components = 3;
};

std::optional<JpegFrame> jpegFrameOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(2) != QByteArrayLiteral("\xFF\xD8"))
        return std::nullopt;
    for (;;) {
        char c = 0;
        if (!file.getChar(&c) || uchar(c) != 0xFF)
            return std::nullopt;
        do {
            if (!file.getChar(&c))
                return std::nullopt;
        } while (uchar(c) == 0xFF);
        const uchar marker = uchar(c);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            // Length, precision, height, width, components.
            const QByteArray frame = file.read(8);
            if (frame.size() < 8)
                return std::nullopt;
            const bool progressive = (marker & 0x03) == 0x02;
            return JpegFrame{progressive, std::max(1, int(uchar(frame[7])))};
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;  // no length
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt;  // the image ends, or its data begins, before a frame
        const QByteArray length = file.read(2);
        if (length.size() < 2)
            return std::nullopt;
        const int skip = (uchar(length[0]) << 8 | uchar(length[1])) - 2;
        if (skip < 0 || file.skip(skip) != skip)
            return std::nullopt;
    }
}

// What reading an image of `stored` pixels as `read` pixels may take in
// memory at most.
qint64 readingBytes(const QString& path, bool jpeg, QSize stored, QSize read) {
    const qint64 made = qint64(read.width()) * read.height() * 4;
    const qint64 whole = qint64(stored.width()) * stored.height();
    if (jpeg) {
        const JpegFrame frame = jpegFrameOf(path).value_or(JpegFrame{true, 3});
        // Progressive: every coefficient, two bytes a sample of each
        // component, until the last scan. Sequential: a band of rows.
        return made + (frame.progressive ? whole * frame.components * 2
                                         : qint64(stored.width()) * 16 * frame.components);
    }
    // Read whole, then scaled.
    return made + whole * 4;
}

// A photo's file that reads as ended once `stop` answers true: a decoder
// reading it finishes at once with what it has, which is thrown away.
class StoppableFile : public QFile {
public:
    StoppableFile(const QString& path, const std::function<bool()>& stop)
        : QFile(path), stop_(stop) {}
    bool stopped() const { return stopped_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        stopped_ = stopped_ || (stop_ && stop_());
        return stopped_ ? 0 : QFile::readData(data, maxSize);
    }

private:
    const std::function<bool()>& stop_;
    bool stopped_ = false;
};

// A number of pixels as the operator reads it: "9億画素", "2400万画素".
QString pixelCountText(qint64 pixels) {
    const qint64 tenThousands = (pixels + 5000) / 10000;
    if (tenThousands == 0)
        return QStringLiteral("%1画素").arg(pixels);
    QString text;
    if (tenThousands >= 10000)
        text += QString::number(tenThousands / 10000) + u'億';
    if (tenThousands % 10000)
        text += QString::number(tenThousands % 10000) + u'万';
    return text + QStringLiteral("画素");
}

QString readerErrorText(const QImageReader& reader) {
    switch (reader.error()) {
        case QImageReader::FileNotFoundError:
            return QStringLiteral("ファイルが見つかりません");
        case QImageReader::DeviceError:
            return QStringLiteral("ファイルを読み出せません");
        case QImageReader::UnsupportedFormatError:
            return QStringLiteral("画像の形式が読めないものです");
        case QImageReader::InvalidDataError:
            return QStringLiteral("画像のデータが壊れているか、大きすぎます");
        case QImageReader::UnknownError:
            break;
    }
    return QStringLiteral("画像を読み取れません");
}

}  // namespace

QImage decodePhoto(const QString& path, QSize fit, QString* error, const PhotoReading& reading) {
    StoppableFile file(path, reading.stop);
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    // The header alone: nothing is decoded yet.
    const QSize stored = reader.size();
    const bool known = stored.isValid() && !stored.isEmpty();
    if (known && qint64(stored.width()) * stored.height() > kMaxPhotoPixels) {
        if (error)
            *error = QStringLiteral("画像が大きすぎます: %1×%2画素（%3）。読めるのは%4までです")
                         .arg(stored.width())
                         .arg(stored.height())
                         .arg(pixelCountText(qint64(stored.width()) * stored.height()))
                         .arg(pixelCountText(kMaxPhotoPixels));
        return {};
    }
    const bool jpeg = reader.format() == "jpeg";
    QSize target;
    QSize read = stored;
    if (known && fit.isValid() && !fit.isEmpty()) {
        QSize shown = stored;
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            shown.transpose();
        target = shown.width() > fit.width() || shown.height() > fit.height()
                     ? shown.scaled(fit, Qt::KeepAspectRatio)
                     : shown;
        // The scaled size is the file's own, before it is turned upright.
        QSize readShown = target;
        if (jpeg) {
            // The smallest fraction the decoder makes by itself that is not
            // much smaller than the size shown; what is missing is made up
            // by scaling.
            int fraction = 1;
            while (fraction < 8 && shown.width() / (2 * fraction) >= target.width() * 3 / 4 &&
                   shown.height() / (2 * fraction) >= target.height() * 3 / 4)
                fraction *= 2;
            readShown = QSize((shown.width() + fraction - 1) / fraction,
                              (shown.height() + fraction - 1) / fraction);
        }
        read = shown == stored ? readShown : readShown.transposed();
        if (readShown != shown)
            reader.setScaledSize(read);
    }
    if (reading.admit) {
        // Of a size the header does not tell, the most Qt allocates for one image.
        const qint64 bytes = known ? readingBytes(path, jpeg, stored, read)
                                   : qint64(QImageReader::allocationLimit()) * 1024 * 1024;
        if (!reading.admit(bytes)) {
            if (error)
                error->clear();
            return {};
        }
    }
    QImage image = reader.read();
    if (file.stopped()) {
        if (error)
            error->clear();
        return {};
    }
    if (image.isNull()) {
        if (error)
            *error = readerErrorText(reader);
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
    qint64 readingBytes = 0;  // what the photos being read may take at most
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
        // A photo wanted is read whatever it takes (under the largest
        // read); one ahead only within the budget.
        qint64 admitted = 0;
        bool refused = false;
        bool stopped = false;
        PhotoReading reading;
        reading.admit = [&](qint64 bytes) {
            QMutexLocker lock(&shared->mutex);
            refused = ahead && shared->readingBytes + bytes > kReadAheadBytes;
            if (refused)
                return false;
            shared->readingBytes += bytes;
            admitted = bytes;
            return true;
        };
        if (!ahead)
            reading.stop = [&] {
                // Another photo wanted: this one is left, and read anew
                // when it is wanted again.
                QMutexLocker lock(&shared->mutex);
                if (!stopped && shared->wantedKey != key) {
                    stopped = true;
                    shared->wantedReading.remove(key);
                }
                return stopped;
            };
        QString error;
        const QImage image = decodePhoto(path, fit, &error, reading);
        {
            QMutexLocker lock(&shared->mutex);
            shared->readingBytes -= admitted;
            if (!stopped)
                (ahead ? shared->aheadReading : shared->wantedReading).remove(key);
        }
        if (refused || stopped)
            return;  // left unread, until it is wanted
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
