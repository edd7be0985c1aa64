// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <memory>

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QVector>

class QTemporaryFile;
class QThread;

// The photos of the sample sheets, once read: for each photo its image at
// the printed size, as JPEG bytes in a spool file on disk. Nothing of the
// images stays in memory: the print preview reads the photos of the page it
// shows at the size it shows them, a printer or a PDF at the printed size,
// a page at a time.
class SampleSheetPhotos {
public:
    struct Photo {
        int number = 0;
        qint64 offset = -1;  // in the spool; -1: unreadable
        qint64 length = 0;
        QString reason;  // why it could not be read
    };

    SampleSheetPhotos();
    ~SampleSheetPhotos();
    SampleSheetPhotos(const SampleSheetPhotos&) = delete;
    SampleSheetPhotos& operator=(const SampleSheetPhotos&) = delete;

    // The photo of a number; null when it was not read.
    const Photo* find(int number) const;
    // The photo at its printed size, read back from the spool; null when
    // it could not be read.
    QImage printImage(const Photo& photo) const;
    // The same fitted into `fit` pixels where it is larger, read at about
    // that size (the JPEG decoder's own scaling), for the preview.
    QImage image(const Photo& photo, QSize fit) const;
    int unreadableCount() const;

private:
    friend class SampleSheetReader;
    QVector<Photo> photos_;  // ascending by number
    std::unique_ptr<QTemporaryFile> spool_;
};

// Reads the photos of the sample sheets on one thread of its own at a low
// priority, so the keys on the input screen go as fast as without it.
// `progress` tells how far it has come (a few times a second), `finished`
// when it has read them all or has failed; a stopped reading tells
// neither.
class SampleSheetReader : public QObject {
    Q_OBJECT

public:
    struct Item {
        int number = 0;
        QString path;
    };

    explicit SampleSheetReader(QObject* parent = nullptr);
    ~SampleSheetReader() override;

    // Starts reading the photos (a reading under way is stopped first):
    // each fitted into `printFit` pixels for the spool. The spool is made in
    // `spoolFolder` (the system's temporary folder when empty).
    void start(const QVector<Item>& items, QSize printFit, const QString& spoolFolder = {});

    // Stops the reading at once (the photo being read left where it is) and
    // throws away what was read. Nothing is told.
    void stop();

    bool isRunning() const { return thread_ != nullptr; }
    int total() const { return total_; }
    int done() const;

    // The photos read, once `finished` has been told without an error.
    std::shared_ptr<const SampleSheetPhotos> photos() const { return result_; }

signals:
    void progress(int done, int total);
    // written: every photo has been read (those that cannot be read marked
    // as such); false when the spool could not be made or written (a full
    // disk), and nothing has been kept.
    void finished(bool written);

private:
    struct Work;
    void threadEnded();

    int generation_ = 0;  // a thread stopped before its end was told is not heard
    std::shared_ptr<Work> work_;
    QThread* thread_ = nullptr;
    QTimer poll_;
    int total_ = 0;
    std::shared_ptr<const SampleSheetPhotos> result_;
};
