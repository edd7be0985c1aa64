// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <vector>

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTimer>

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
class PhotoFolder : public QObject {
    Q_OBJECT

public:
    // suffixes: the image extensions to take, in lower case ("jpg", "png").
    explicit PhotoFolder(const QStringList& suffixes, QObject* parent = nullptr);

    // Reads the folder's photos and watches it from now on. False when the
    // folder cannot be read (the index is then empty).
    bool open(const QString& path);

    QString path() const { return path_; }
    bool isReadable() const { return readable_; }

    // How many numbers have a photo.
    int photoCount() const { return photoCount_; }

    // The full path of the photo of a number; empty when there is none.
    QString fileOf(int number) const;

    // The names of every file that gives the number, the photo's first.
    QStringList namesOf(int number) const;

    // Reads the folder again now (the watcher does this by itself, shortly
    // after the folder changes).
    void rescan();

signals:
    // The photos have changed since the last reading.
    void changed();

private:
    bool read();

    QStringList suffixes_;
    QString path_;
    bool readable_ = false;
    int photoCount_ = 0;
    std::vector<QStringList> names_;  // by photo number, index 0 unused
    QFileSystemWatcher watcher_;
    QTimer settle_;  // gathers the changes of a copy in progress into one reading
};
