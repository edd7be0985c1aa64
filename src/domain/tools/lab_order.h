// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/system_files.h"
#include "domain/job/job_state.h"

#include <atomic>
#include <functional>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

// The lab order: a folder the operator hands to the print lab with the
// photos the registered pupils ordered (the open entry left out, as the
// reports do), in the two forms labs take:
//
//   DPOF_大/DCIM/100PICTR/PICT0132.JPG   a card's contents per print size,
//   DPOF_大/MISC/AUTPRINT.MRK            its print order (DPOF 1.10)
//   大/0132_3枚.jpg                       each photo once per size, its count
//                                        in the name
//   <customer>_<event>_写真番号別.csv      the lab export, Shift_JIS
//   注意事項.txt                          numbers without a photo and the like
//
// The folder is made under a hidden temporary name and given its own name
// only when complete; a failure or a cancel removes it.

struct LabOrderForms {
    bool dpof = true;          // DPOF_大/, DPOF_中/, DPOF_小/
    bool plainFolders = true;  // 大/, 中/, 小/ and the CSV
};

// What the order is made from, taken on the keys' thread when the command
// starts: the job as it stands and the photo file of every number.
struct LabOrderSnapshot {
    JobState job;
    QVector<QString> photoFiles;  // by photo number 1..kMaxPhotoNumber; empty: no photo
};

LabOrderSnapshot takeLabOrderSnapshot(const JobState& job,
                                      const std::function<QString(int)>& photoFileOf);

// A photo number with the prints ordered of it.
struct LabOrderPhoto {
    int number = 0;
    int prints = 0;
};

// A photo file to put in the order folder.
struct LabOrderFile {
    QString source;  // the photo
    QString target;  // relative to the order folder, "/" between folders
};

// A text file of the order folder.
struct LabOrderText {
    QString target;
    QByteArray bytes;
};

// Which photo goes where with which count and name.
struct LabOrderPlan {
    QString folderName;  // the order folder's own name, before any "(2)"
    QVector<LabOrderFile> files;
    QVector<LabOrderText> texts;
    QVector<LabOrderPhoto> photos;   // every number ordered that a size takes, ascending
    QVector<LabOrderPhoto> missing;  // ordered, in a size, but no photo file
    QVector<LabOrderPhoto> unsized;  // ordered, but in no size's range
    QVector<LabOrderPhoto> notJpeg;  // left out of DPOF, which takes JPEG only
    int unreadablePrints = 0;        // record items that are no photo number (a fraction, 0)
    int pendingPrints = 0;           // the open entry's, left out
    int prints = 0;                  // prints of the numbers in photos
};

LabOrderPlan planLabOrder(const LabOrderSnapshot& snapshot, const LabOrderForms& forms,
                          const QDateTime& now, int maxNameBytes = 255);

// The DCF name of a photo on a DPOF card: "DCIM/100PICTR/PICT0132.JPG".
// DCF file numbers run 0001 to 9999: photo 10000 is the first file of the
// next folder, "DCIM/101PICTR/PICT0001.JPG".
QString dcfPathOf(int photoNumber);

// The name of a photo in a plain size folder: "0132_3枚.jpg", the photo's
// own extension kept.
QString plainFileName(int photoNumber, int prints, const QString& suffix);

// The header of a DPOF print order.
struct DpofHeader {
    QString creator = QStringLiteral("PICTOR");
    QString creatorVersion = QStringLiteral("01.00");
    QString userName;  // ASCII only (dpofText)
    QDateTime made;
};

// An AUTPRINT.MRK: the header, then a standard print of each photo (its
// DCF path, dcfPathOf) with its quantity; a quantity over 999 is written
// as several prints of the same photo. ASCII, CR LF.
QByteArray autPrintText(const DpofHeader& header, const QVector<LabOrderPhoto>& photos);

// A text as a DPOF header's string holds it, in ASCII: full-width letters
// and digits made half-width, a double quote made a single one. A text that
// has anything else (a Japanese name) is left out whole: empty.
QString dpofText(const QString& text);

// Whether to give a photo a second name or to copy it.
enum class LabOrderCopying {
    LinkWherePossible,  // hard links, copies once the file system refuses them
    CopyAlways,
};

struct LabOrderResult {
    bool written = false;
    bool cancelled = false;
    QString path;  // the order folder made
    int linked = 0;
    int copied = 0;
    FileFault fault = FileFault::None;
    int systemError = 0;
    bool leftBehind = false;  // the temporary folder could not be removed
    QString message;          // for the operator
};

// done of total steps (a file each).
using LabOrderProgress = std::function<void(int done, int total)>;

// Makes the order folder of plan in destination, on the calling thread;
// cancel is looked at between files.
LabOrderResult writeLabOrder(const LabOrderPlan& plan, const QString& destination,
                             const std::atomic<bool>& cancel, const LabOrderProgress& progress = {},
                             LabOrderCopying copying = LabOrderCopying::LinkWherePossible);

namespace LabOrderTexts {
extern const QString kFolderSuffix;  // "_ラボ出力"
extern const QString kDpofFolder;    // %1: size name
extern const QString kNotesFile;
extern const QString kTemporaryPrefix;
extern const QString kWritten;  // %1: path, %2: photos, %3: prints
extern const QString kNothingOrdered;
extern const QString kMissing;         // %1: list
extern const QString kUnsized;         // %1: list
extern const QString kNotJpeg;         // %1: list
extern const QString kUnreadable;      // %1: prints
extern const QString kPendingLeftOut;  // %1: prints
extern const QString kSeeNotes;
extern const QString kFailed;  // %1: what failed, %2: the cause
extern const QString kNothingMade;
extern const QString kNothingLeft;
extern const QString kLeftBehind;  // %1: the temporary folder
extern const QString kCancelled;
extern const QString kMakeFolderFailed;  // %1: path
extern const QString kReadPhotoFailed;   // %1: path
extern const QString kWriteFailed;       // %1: path
extern const QString kRenameFailed;      // %1: path
extern const QString kMoreNumbers;       // %1: how many more
}  // namespace LabOrderTexts
