// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>

#include <QString>
#include <QStringList>
#include <QVector>

// Photos worth a word before anything made of them reaches the school or
// the lab: a number that more than one file gives, and a photo that is not
// whole (a copy cut short, a card pulled out too soon).

// What a photo file's own bytes say of it, whatever its name.
struct PhotoFileCheck {
    int error = 0;      // it could not be read (the system's error number); nothing else is known
    bool jpeg = false;  // it begins as a JPEG does (FF D8 FF)
    bool whole = true;  // a JPEG: its end marker (FF D9) is there; other files: true
};

// Reads the first bytes and the end of the file at path, through symbolic
// links as the preview does. A JPEG is whole when its last bytes, after any
// zero or FF padding, are the end marker, or when the end marker lies in
// its last 16 KiB past the first 128 KiB (a camera's own data appended after
// the picture); the thumbnail at the front ends with one too, so a short
// file counts only its very end.
PhotoFileCheck checkPhotoFile(const QString& path);

// Whether the file at path begins as a JPEG does (its first bytes only);
// false when it cannot be read, with *error set when asked.
bool isJpegFile(const QString& path, int* error = nullptr);

// Why a photo could not be read (an error of checkPhotoFile or of opening
// it), as the operator is told it.
QString photoReadCauseText(int error);

// Every file that gives a photo number: the photo used first, then the
// others that give it too.
struct PhotoFiles {
    int number = 0;
    QStringList files;  // full paths
};

struct PhotoDoubt {
    enum class Kind {
        SeveralFiles,  // unused: the files not used
        NotWhole,      // a JPEG without its end marker
        Unreadable,    // error: why it could not be read
    };
    int number = 0;
    Kind kind = Kind::SeveralFiles;
    QString file;  // the photo used
    QStringList unused;
    int error = 0;
};

// The doubts about these photos, by ascending number (a number may have
// two: several files, and the one used not whole). The files are read on
// the calling thread; cancel is looked at between them, and what was found
// until then is returned.
QVector<PhotoDoubt> findPhotoDoubts(QVector<PhotoFiles> photos, const std::atomic<bool>& cancel);

// One line each, for the operator and the notes: "132：…".
QStringList photoDoubtLines(const QVector<PhotoDoubt>& doubts);

// The question asked before making what (見本写真, ラボ出力) of these photos,
// its first lines at most; the choices PhotoDoubtTexts::kGoOn and kStop.
QString photoDoubtQuestion(const QVector<PhotoDoubt>& doubts, const QString& what);

namespace PhotoDoubtTexts {
extern const QString kQuestion;      // %1: the lines, %2: what is made
extern const QString kSeveralFiles;  // %1: number, %2: used, %3: the others
extern const QString kNotWhole;      // %1: number, %2: file
extern const QString kUnreadable;    // %1: number, %2: file, %3: the cause
extern const QString kMore;          // %1: how many more
extern const QString kGoOn;
extern const QString kStop;
}  // namespace PhotoDoubtTexts
