// SPDX-License-Identifier: MIT
#pragma once

#include "domain/job_state.h"

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QVector>

class OrderEntry;
class Platform;
class QIODevice;

// One thing the operator did that the input screen or the correction screen
// handed to the job's rules. The journal keeps them in order, so that the
// job can be rebuilt after a crash by handing them over again.
struct JournalEntry {
    enum class Kind : quint8 {
        KeyDown = 2,            // value: the key code (the arrows)
        KeyPress = 3,           // value: the key's character code
        CopyCount = 4,          // value: the copy-count selector's new position
        PageEarlier = 5,        // ↑前へ
        PageLater = 6,          // 後へ↓
        FinishClose = 7,        // finishing registers the open pupil
        AlertClosed = 8,        // an alert window over the input screen closed
        Activate = 9,           // the input screen became active
        CorrectionAdd = 10,     // text1: the pupil's number as typed, text2: the photo number
        CorrectionDelete = 11,  // the same
        Combine = 12,           // otherJob: another job file's job, added after the pupils
        Saved = 20,             // the job file was saved; value 1 when it held every print
    };

    JournalEntry() = default;
    JournalEntry(Kind kind, qint32 value = 0) : kind(kind), value(value) {}  // NOLINT: implicit
    JournalEntry(Kind kind, const QString& text1, const QString& text2)
        : kind(kind), text1(text1), text2(text2) {}

    // A combine: the job added, held whole (as the journal's start holds a
    // job), since the file it came from may change or go later.
    static JournalEntry combine(const JobState& other);

    Kind kind = Kind::KeyPress;
    qint32 value = 0;
    QString text1;
    QString text2;
    QByteArray otherJob;  // with Combine: jobSnapshotBytes of the job added

    // Whether the entry may change what a save would write (or the open pupil).
    bool mayChangeJob() const;
    bool isCorrection() const;

    friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

// Hands an entry of the input screen to the engine, exactly as the input
// screen does while the operator works; correction entries and save marks
// are not the engine's and are ignored.
void applyInputEntry(OrderEntry& engine, const JournalEntry& entry);

// Carries out a correction entry on the job the way the correction screen
// does: a correction of its own is shown the pupil and the photo number as
// they were typed, and its button is pressed.
void applyCorrectionEntry(JobState& job, Platform& platform, const JournalEntry& entry);

// Carries out a combine entry: the job it holds is added to the engine's job
// (when the two still combine), and the screen shows the new totals, person
// count and the end of the history.
void applyCombineEntry(OrderEntry& engine, const JournalEntry& entry);

// Carries out any entry on the engine's job: an input entry through the
// engine, a correction entry as the correction screen does (with platform),
// a combine as applyCombineEntry; save marks change nothing.
void applyJournalEntry(OrderEntry& engine, Platform& platform, const JournalEntry& entry);

// A whole job as the journal writes it, and read back; false when the bytes
// hold no whole job.
QByteArray jobSnapshotBytes(const JobState& job);
bool readJobSnapshotBytes(const QByteArray& bytes, JobState& job);

struct JournalContents;

// The job a journal holds: its start with every entry carried out again,
// silently, by an engine of its own (as the input screen's, loaded from
// programDirectory).
JobState replayJournal(const JournalContents& contents, const QString& programDirectory);

// A journal read back: the job as it was when the input screen opened, and
// everything done to it since.
struct JournalContents {
    JobState start;
    QVector<JournalEntry> entries;
    qint64 wholeSize = 0;  // bytes up to the end of the last whole entry
    bool cut = false;      // the file went on with an entry cut short
    bool unsaved = false;  // something changed after the last save
    QDateTime lastChange;  // when the last entry was written
};

// Reads a journal. An entry cut short (a crash or power cut in the middle
// of writing it) ends the reading: everything before it is kept. Returns
// nothing when the device holds no journal or its start cannot be read;
// *error then says why.
std::optional<JournalContents> readJournal(QIODevice& device, QString* error = nullptr);
std::optional<JournalContents> readJournalFile(const QString& path, QString* error = nullptr);

// Writes the journal of a run: every entry goes to the file at once, so a
// crash of the program loses nothing; the file is also forced to the disk
// at every close of a pupil, every correction and every save mark, so a
// power cut loses at most the open pupil.
class JournalWriter {
public:
    JournalWriter() = default;
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    ~JournalWriter();

    // Where the journal is written.
    void setPath(const QString& path) { path_ = path; }
    QString path() const { return path_; }

    // Starts the journal with the job as it is now, replacing any file at
    // the path.
    bool begin(const JobState& job);

    // Goes on with a journal that was read back and restored: what follows
    // its last whole entry is cut off, and new entries follow.
    bool resume(const JournalContents& contents);

    bool isOpen() const { return file_.isOpen(); }

    // Writes one entry at once.
    void record(const JournalEntry& entry);

    // A save of the job file succeeded; complete when it held every print
    // (no pupil was open).
    void markSaved(bool complete);

    // Whether something changed since the journal began or was last saved.
    bool hasUnsavedChanges() const { return unsaved_; }

    // Whether writing has failed; the run goes on without a journal then.
    bool failed() const { return failed_; }

    // True once, the first time it is asked after writing has failed: the
    // moment to tell the operator.
    bool takeFailureNotice() {
        const bool notice = failed_ && !failureNoticed_;
        failureNoticed_ = failureNoticed_ || failed_;
        return notice;
    }

    // The end of a run: a journal with nothing unsaved is removed, one with
    // unsaved changes is kept for the next start to offer.
    void finish();

private:
    bool open(QIODevice::OpenMode mode);
    void writeFrame(quint8 kind, const QByteArray& payload, bool sync);

    QString path_;
    QFile file_;
    bool unsaved_ = false;
    bool failed_ = false;
    bool failureNoticed_ = false;
};

// The journal's own texts.
namespace JournalTexts {
extern const QString kNotAJournal;   // the file is no journal of this program
extern const QString kStartDamaged;  // the job it started with cannot be read
extern const QString kReadFailed;    // %1: the file could not be read
}  // namespace JournalTexts
