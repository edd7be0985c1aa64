// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/system_files.h"
#include "domain/job/job_state.h"
#include "domain/reports/report_content.h"
#include "domain/tools/photo_check.h"

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
//   DPOF_大/MISC/AUTPRINT.MRK            its print order (DPOF 1.10): a
//                                        size of more than 999 prints'
//                                        jobs takes several cards,
//                                        DPOF_大_1／2, DPOF_大_2／2
//   大/0132_3枚.jpg                       each photo once per size, its count
//                                        in the name
//   <customer>_<event>_写真番号別.csv      the lab export, Shift_JIS
//   注意事項.txt                          the order's id, what goes on a card,
//                                        numbers without a photo and the like
//
// What goes on a card is what a card folder holds: its DCIM and MISC at the
// card's top, where readers look (writeLabOrderCard puts them there).
// Every photo in the order is a file of its own, its data shared with the
// photo folder's only where the file system keeps the two apart (a reflink);
// a symbolic link in the photo folder is read through, as the preview does.
//
// The folder is made under a hidden temporary name and given its own name
// only when complete; a failure or a cancel removes it.

struct LabOrderForms {
    bool dpof = true;          // DPOF_大/, DPOF_中/, DPOF_小/
    bool plainFolders = true;  // 大/, 中/, 小/ and the CSV
};

// What the order is made from, taken on the GUI thread when the command
// starts: the job as it stands and the photo file of every number.
struct LabOrderSnapshot {
    JobState job;
    QVector<QString> photoFiles;  // by photo number 1..kMaxPhotoNumber; empty: no photo
    QVector<PhotoDoubt> doubts;   // found before (findPhotoDoubts), told in the notes
};

LabOrderSnapshot takeLabOrderSnapshot(const JobState& job,
                                      const std::function<QString(int)>& photoFileOf);

// The numbers the order would take a photo of: ordered by a registered
// pupil, in a size's range.
QVector<int> labOrderNumbers(const JobState& job);

// A photo number with the prints ordered of it.
struct LabOrderPhoto {
    int number = 0;
    int prints = 0;
};

// The header of a DPOF print order.
struct DpofHeader {
    QString creator = QStringLiteral("PICTOR");
    QString creatorVersion = QStringLiteral("01.00");
    QString userName;  // ASCII only (dpofText)
    QDateTime made;
};

// A photo file to put in the order folder.
struct LabOrderFile {
    QString source;  // the photo
    QString target;  // relative to the order folder, "/" between folders
    int number = 0;
};

// One DPOF card of a size: at most kMaxDpofJobs jobs (a photo's count over
// 999 takes several), each with its photo under DCIM.
struct LabOrderCard {
    PrintSize size = PrintSize::Large;
    int index = 1;                // 1..count
    int count = 1;                // the size's cards
    QString folder;               // in the order folder: "DPOF_大", or "DPOF_大_1／2" of several
    QVector<LabOrderPhoto> jobs;  // each at most 999 prints, in order
    DpofHeader header;            // its USR NAM names the size, the card and the order

    int photos() const;
    int prints() const;
};

inline constexpr int kMaxDpofJobs = 999;

// A text file of the order folder.
struct LabOrderText {
    QString target;
    QByteArray bytes;
};

// Which photo goes where with which count and name.
struct LabOrderPlan {
    QString folderName;  // the order folder's own name, before any "(2)"
    QString orderId;     // "20260501-093005": in the folder name, the notes and every card
    LabOrderForms forms;
    QVector<LabOrderFile> files;
    QVector<LabOrderText> texts;  // written after the cards' print orders
    QVector<LabOrderCard> cards;
    QVector<PhotoDoubt> doubts;
    QDateTime made;
    ReportHeader header;             // the job's names, for the notes
    QVector<LabOrderPhoto> photos;   // every number ordered that a size takes, ascending
    QVector<LabOrderPhoto> missing;  // ordered, in a size, but no photo file
    QVector<LabOrderPhoto> unsized;  // ordered, but in no size's range
    QVector<LabOrderPhoto> notJpeg;  // by content: left out of DPOF, which takes JPEG only
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

// An AUTPRINT.MRK: the header, then a standard print of each photo (its
// DCF path, dcfPathOf) with its quantity, print ids from 001; a quantity
// over 999 is written as several prints of the same photo. ASCII, CR LF.
// The caller keeps it to kMaxDpofJobs jobs (the cards of a plan do).
QByteArray autPrintText(const DpofHeader& header, const QVector<LabOrderPhoto>& photos);

// A text as a DPOF header's string holds it, in ASCII: full-width letters
// and digits made half-width, a double quote made a single one. A text that
// has anything else (a Japanese name) is left out whole: empty.
QString dpofText(const QString& text);

// How a photo's data gets into the order. Never a second name for the
// photo's own file: what a lab's program or a retoucher saves into the order
// must not change the studio's original.
enum class LabOrderCopying {
    CloneWherePossible,  // a reflink where the file system has them, else a copy
    CopyAlways,
};

// A photo that could not be read while the order was made: left out.
struct LabOrderSkipped {
    int number = 0;
    QString source;
    int error = 0;
};

struct LabOrderResult {
    bool written = false;
    bool cancelled = false;
    QString path;  // the order folder made
    int cloned = 0;
    int copied = 0;
    QVector<LabOrderSkipped> skipped;
    QVector<LabOrderCard> cards;  // the cards written, their folders under path
    FileFault fault = FileFault::None;
    int systemError = 0;
    bool leftBehind = false;  // the temporary folder could not be removed
    QString message;          // for the operator
};

// The notes file of the order (注意事項.txt): the order's id, what goes on
// a card, and every photo left out or worth a look. UTF-8 with a byte-order
// mark, CR LF.
QByteArray labOrderNotes(const LabOrderPlan& plan, const QVector<LabOrderSkipped>& skipped);

// done of total steps (a file each).
using LabOrderProgress = std::function<void(int done, int total)>;

// Makes the order folder of plan in destination, on the calling thread;
// cancel is looked at between files.
LabOrderResult writeLabOrder(const LabOrderPlan& plan, const QString& destination,
                             const std::atomic<bool>& cancel, const LabOrderProgress& progress = {},
                             LabOrderCopying copying = LabOrderCopying::CloneWherePossible);

// The card folder's DCIM and MISC copied to the top of root, a removable
// drive or an empty folder: what a reader looks for. A root that holds
// anything (but the system's own "System Volume Information") is refused,
// as a card a camera has written to would mix two orders. Nothing is left
// in root by a failure or a cancel.
struct LabOrderCardResult {
    bool written = false;
    bool cancelled = false;
    bool refused = false;  // root not empty, or no card in cardFolder
    QString message;
};
LabOrderCardResult writeLabOrderCard(const QString& cardFolder, const QString& root,
                                     const std::atomic<bool>& cancel,
                                     const LabOrderProgress& progress = {});

// "大 1／2（写真 999 点、プリント 1,203 枚）"
QString labOrderCardText(const LabOrderCard& card);

namespace LabOrderTexts {
extern const QString kFolderSuffix;    // "_ラボ出力"
extern const QString kDpofFolder;      // %1: size name
extern const QString kDpofCardFolder;  // %1: size name, %2: card, %3: cards
extern const QString kNotesFile;
extern const QString kTemporaryPrefix;
extern const QString kWritten;  // %1: path, %2: photos, %3: prints
extern const QString kNothingOrdered;
extern const QString kMissing;           // %1: list
extern const QString kUnsized;           // %1: list
extern const QString kNotJpeg;           // %1: list; DPOF and the size folders
extern const QString kNotJpegLeftOut;    // %1: list; DPOF only
extern const QString kNotJpegInFolders;  // %1: list; the size folders only
extern const QString kUnreadable;        // %1: prints
extern const QString kPendingLeftOut;    // %1: prints
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
extern const QString kCards;             // %1: the cards, a line each
extern const QString kSkipped;           // %1: list
extern const QString kDoubts;            // %1: list
extern const QString kCardNotEmpty;      // %1: root, %2: what is there
extern const QString kCardWritten;       // %1: root, %2: the card
extern const QString kCardCancelled;
extern const QString kCardFailed;  // %1: what failed, %2: the cause
extern const QString kNoCard;      // %1: the folder
}  // namespace LabOrderTexts
