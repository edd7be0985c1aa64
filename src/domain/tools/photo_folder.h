// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QThreadPool>
#include <QTimer>
#include <QVector>

// The photo number a file's name gives: the last run of decimal digits in
// the name without its extension, leading zeros ignored ("0132.jpg",
// "132.jpeg", "IMG_0132.JPG" and "運動会_0132.jpg" are all photo 132). A
// name with no digits, a run reading 0 or past the largest photo number,
// and a hidden name (".0132.jpg", "._0132.jpg", the shadow files another
// system leaves on a memory card) give none.
std::optional<int> photoNumberOfFileName(QStringView fileName);

// The photo number the typed number on the input screen reads as, the way
// order entry reads it: the digits, a minus before or after them set
// aside. 0 when it reads no photo number (empty, 0, past the largest).
int photoNumberOfTyped(QStringView typed);

// The photos of one folder by photo number, read once and then kept up to
// date while the folder changes (photos copied in, removed or renamed).
// Only files whose extension is one of the given image formats count.
//
// Two files may give the same number ("0132.jpg" and "IMG_0132.JPG"): the
// one whose name comes first, by case-insensitive comparison, is the photo
// of that number; the others are kept so the operator can be told of them.
//
// The folder is read again on a thread of its own: a folder of 20 000
// files takes tens of milliseconds to list, which the thread handling the
// keys does not wait for. The index it holds stays the last one read until
// the new one is handed over.
class PhotoFolder : public QObject {
    Q_OBJECT

public:
    // suffixes: the image extensions to take, in lower case ("jpg", "png").
    explicit PhotoFolder(const QStringList& suffixes, QObject* parent = nullptr);
    ~PhotoFolder() override;

    // Reads the folder's photos, here and now (the operator has just chosen
    // it), and watches it from now on. False when the folder cannot be read
    // (the index is then empty). `changed` tells it unless it is the folder
    // open already and nothing in it changed.
    bool open(const QString& path);

    QString path() const { return path_; }
    bool isReadable() const { return readable_; }

    // How many numbers have a photo.
    int photoCount() const { return photoCount_; }

    // The full path of the photo of a number; empty when there is none.
    QString fileOf(int number) const;

    // The numbers that have a photo, ascending.
    QVector<int> numbers() const;

    // The names of every file that gives the number, the photo's first.
    QStringList namesOf(int number) const;
    // The same as full paths.
    QStringList filesOf(int number) const;

    // Starts reading the folder again, in the background, and returns at
    // once; `scanned` tells when the index has been brought up to date (the
    // watcher does this by itself, shortly after the folder changes). Asked
    // while a reading is under way, the folder is read once more after it.
    void rescan();

    // Watches this file (the photo shown) besides the folder, the one
    // watched before no longer: its being written to, replaced or removed
    // is told by `photoChanged` once it has rested. Empty: none.
    void watchPhoto(const QString& path);

signals:
    // The photos have changed since the last reading, or another folder
    // has been opened.
    void changed();
    // A reading in the background has been handed over (after `changed`
    // when the photos changed).
    void scanned();
    // The file watched has changed (a copy of it finished, say).
    void photoChanged(const QString& path);

private:
    using Names = std::vector<QStringList>;  // by photo number, index 0 unused
    struct Index {
        bool readable = false;
        int photoCount = 0;
        std::shared_ptr<const Names> names;  // the index before when unchanged
        bool differs = false;
    };
    // Compared with the index before where it is read: the GUI thread
    // only swaps the two, and lets the old one go on the reading thread.
    static Index read(const QString& path, const QStringList& suffixes,
                      const std::shared_ptr<const Names>& before);
    bool take(Index index);
    void startScan();

    QStringList suffixes_;
    QString path_;
    bool readable_ = false;
    int photoCount_ = 0;
    std::shared_ptr<const Names> names_;
    QFileSystemWatcher watcher_;
    QTimer settle_;  // gathers the changes of a copy in progress into one reading
    QString photo_;  // the file watched besides the folder
    QTimer photoSettle_;
    QThreadPool scanPool_;    // one reading at a time
    int scanGeneration_ = 0;  // a reading started before the folder was opened again is dropped
    bool scanning_ = false;
    bool scanAgain_ = false;
};
