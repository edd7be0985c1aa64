// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>

// A photo file read at the size it is shown at: the file's orientation
// (its EXIF tag) applied, fitted into `fit` keeping its proportions, never
// enlarged. A JPEG is decoded at a half, a quarter or an eighth of its size
// where that is enough, which is several times faster than decoding it
// whole. A null image with the reason in `error` when it cannot be read.
QImage decodePhoto(const QString& path, QSize fit, QString* error = nullptr);

// Reads photos in the background, away from the thread that handles the
// keys, and keeps the latest ones. The photo wanted now goes first; an
// earlier wanted photo whose reading has not started is dropped. Photos
// read ahead (the neighbours of the one shown) wait until the machine has
// nothing else to do.
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
    // are dropped.
    void readAhead(const QStringList& paths, QSize fit);

signals:
    // A photo has been read (image null and error set when it could not be).
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
