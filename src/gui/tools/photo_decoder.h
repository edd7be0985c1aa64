// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>

// The largest photo read, in pixels: above the largest cameras' (some 150
// megapixels). A larger image is refused from its header, before anything
// of it is decoded: a progressive JPEG of 30000 x 30000 pixels, a few
// megabytes on disk, would take gigabytes and seconds to read.
constexpr qint64 kMaxPhotoPixels = 160'000'000;

// A photo file read at the size it is shown at: the file's orientation
// (its EXIF tag) applied, fitted into `fit` keeping its proportions, never
// enlarged. A JPEG is decoded at a half, a quarter or an eighth of its size
// where that is enough, which is several times faster than decoding it
// whole. A null image with the reason, in Japanese, in `error` when it
// cannot be read.
//
// How a reading in the background is steered, both optional. `admit` is
// asked before the pixels are read, with the memory the reading may take at
// most (from the file's header); `stop` is asked as the file is read, and
// the reading ends at once when it answers true (the photo no longer
// wanted). Either way the image is then null, with no error.
struct PhotoReading {
    std::function<bool(qint64 bytes)> admit;
    std::function<bool()> stop;
};

QImage decodePhoto(const QString& path, QSize fit, QString* error = nullptr,
                   const PhotoReading& reading = {});

// Reads photos in the background, away from the thread that handles the
// keys, and keeps the latest ones. The photo wanted now goes first; an
// earlier wanted photo is dropped, its reading stopped where it has begun. Photos
// read ahead (the neighbours of the one shown) wait until the machine has
// nothing else to do, and only while what the photos being read may take
// in memory stays within a budget: a photo too large for it is read when it
// is wanted, not before.
class PhotoDecoder : public QObject {
    Q_OBJECT

public:
    explicit PhotoDecoder(QObject* parent = nullptr);
    ~PhotoDecoder() override;

    // The photo at the size, when it has been read already (and the file
    // has not changed since); else a null image.
    QImage cached(const QString& path, QSize fit) const;

    // Reads the photo unless it is cached or being read; `decoded` reports it.
    void want(const QString& path, QSize fit);

    // Reads these photos ahead, unless cached; the earlier ones not started
    // are dropped, and so is one that would take the memory of the photos
    // being read past kReadAheadBytes.
    void readAhead(const QStringList& paths, QSize fit);

    // The memory that the photos being read may take at most, a photo read
    // ahead included: some two 24-megapixel progressive JPEGs.
    static constexpr qint64 kReadAheadBytes = 320LL * 1024 * 1024;

signals:
    // A photo has been read (image null and error set when it could not be).
    // A photo left unread ahead is not told.
    void decoded(const QString& path, QSize fit, const QImage& image, const QString& error);

private:
    struct Shared;
    static QString keyOf(const QString& path, QSize fit);
    void start(const QString& key, const QString& path, QSize fit, bool ahead);
    void finished(const QString& key, const QString& path, QSize fit, const QImage& image,
                  const QString& error);

    std::shared_ptr<Shared> shared_;
    mutable QCache<QString, QImage> cache_;
    QThreadPool wantedPool_;
    QThreadPool aheadPool_;
};
