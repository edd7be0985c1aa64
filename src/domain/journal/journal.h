// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/file_replacement.h"
#include "domain/job/job_state.h"
#include "domain/journal/journal_sync.h"

#include <functional>
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
        JobFile = 21,           // text1: the job file the job was loaded from or saved to,
                                // text2: the digest of its bytes then (jobFileDigestText)
        Companion = 22,         // text1: the job's companion (its roster, ties and photo
                                // folder) as it now stands, as its file holds it
        Tie = 23,               // text1: the registered pupil's number, empty for the open
                                // slip; text2: the roster pupil's index, empty for untied
    };

    JournalEntry() = default;
    JournalEntry(Kind kind, qint32 value = 0) : kind(kind), value(value) {}  // NOLINT: implicit
    JournalEntry(Kind kind, const QString& text1, const QString& text2)
        : kind(kind), text1(text1), text2(text2) {}

    // A combine: the job added, held whole (as the journal's start holds a
    // job), since the file it came from may change or go later.
    static JournalEntry combine(const JobState& other);
    // A slip tied to a roster pupil (or untied): the open slip when no
    // registered pupil is given.
    static JournalEntry tie(std::optional<int> registeredPupil, std::optional<int> rosterPupil);
    std::optional<int> tiedRegisteredPupil() const;
    std::optional<int> tiedRosterPupil() const;

    Kind kind = Kind::KeyPress;
    qint32 value = 0;
    QString text1;
    QString text2;
    QByteArray otherJob;  // with Combine: jobSnapshotBytes of the job added

    // Whether the entry may change what a save would write (or the open pupil).
    bool mayChangeJob() const;
    bool isCorrection() const;
    // Whether the entry carries the two texts (a correction, a job file).
    bool hasTexts() const;
    // Whether the entry is synced (fsync) as soon as it is written: a
    // close of a pupil, finishing, a correction, a combine, a job file.
    bool isSyncPoint() const;

    friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

// Hands an entry of the input screen to the engine, exactly as the input
// screen does while the operator works; correction entries, save marks and
// job files are not the engine's and are ignored.
void applyInputEntry(OrderEntry& engine, const JournalEntry& entry);

// Carries out a correction entry on the job the way the correction screen
// does: a correction of its own is shown the pupil and the photo number as
// they were typed, and its button is pressed.
void applyCorrectionEntry(JobState& job, Platform& platform, const JournalEntry& entry);

// Carries out a combine entry: the job it holds is added to the engine's job
// (when the two still combine), and the screen shows the new totals, pupil
// count and the end of the history.
void applyCombineEntry(OrderEntry& engine, const JournalEntry& entry);

// Carries out any entry on the engine's job: an input entry through the
// engine, a correction entry as the correction screen does (with platform),
// a combine as applyCombineEntry; save marks and job files change nothing.
void applyJournalEntry(OrderEntry& engine, Platform& platform, const JournalEntry& entry);

// A whole job as the journal writes it, and read back; false when the bytes
// hold no whole job.
QByteArray jobSnapshotBytes(const JobState& job);
bool readJobSnapshotBytes(const QByteArray& bytes, JobState& job);

// Whether the job loader would take the job as a job file holds it (the
// job written as the save command writes it, and loaded back); *problem
// then gets the loader's message.
bool jobLoadsAsJobFile(const JobState& job, QString* problem = nullptr);

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
    // An entry in the middle could not be read (whole entries, or bytes
    // beyond it, follow): what follows it is not restored.
    bool damaged = false;
    int framesAfterDamage = 0;  // whole entries found after the damaged one
    // The run could not write everything to it (writing failed, see
    // JournalWriter): the last entries may be missing.
    bool incomplete = false;
    bool unsaved = false;      // something changed after the last save (or may have)
    QDateTime lastChange;      // when the last entry was written
    QString jobFilePath;       // the job file last loaded or saved, if it says
    QByteArray jobFileDigest;  // contentDigest of that file's bytes then, if it says
    QByteArray companion;      // the job's companion as last recorded (jobCompanionBytes), if any
};

// Reads a journal. An entry cut short at the end (a crash or power cut in
// the middle of writing it) ends the reading: everything before it is kept.
// An entry damaged in the middle ends the reading too, but is told apart
// (damaged) and leaves the journal unsaved. Returns nothing when the device
// holds no journal, its start cannot be read, or the job it starts with or
// a job combined is one the job loader refuses; *error then says why.
std::optional<JournalContents> readJournal(QIODevice& device, QString* error = nullptr);
std::optional<JournalContents> readJournalFile(const QString& path, QString* error = nullptr);

// The mark beside a journal that its run could not write all of it.
QString incompleteMarkPath(const QString& journalPath);

// Sets a journal aside in its folder as "NAME.<date and time>.previous.journal"
// (NAME its name without ".journal"), a name no other file has, with its
// incomplete mark; returns the new path, empty when it could not be renamed.
QString setJournalAside(const QString& journalPath, const QDateTime& now);

// The journals' folder, made when missing, and open to the user alone: the
// journals hold the studio's customers and orders.
bool makePrivateFolder(const QString& folder);

// Writes the journal of a run. Every entry goes to the file at once, on the
// thread that calls, before the work it records is carried out, so a crash
// of the program, or its process killed, loses nothing written: the system
// holds it. At every close of a pupil, finishing, correction, combine, save
// mark and job file the file is also synced (fsync), in order, by a
// thread of its own (JournalSync): the close returns without waiting for
// the disk, and its pupil is on the disk a sync's time after the key was
// handled and repainted (a few milliseconds in all, see docs/performance.md). So a power
// cut loses at most the open pupil and what was closed in the last few
// milliseconds before it (while one sync runs, the closes that follow wait
// for the next, which covers them all).
//
// When writing fails (a full disk, a device error), a sync fails or the
// file is found removed, the journal is marked incomplete, and written
// afresh, whole (it is kept in memory too): after a failed sync at once,
// when the failure is known on the writing thread (at the next entry, or
// from its event loop, which then calls onLateFailure); after a failed
// write at the next close of a pupil or save; until then nothing more is
// written. Everything that ends or replaces the file (finishing, setting
// aside, beginning, resuming, writing afresh) first waits for the syncs
// asked for, and ends the sync thread.
class JournalWriter {
public:
    // sync: how the file is synced (fsync); SystemFiles::syncData
    // when none is given.
    explicit JournalWriter(JournalSync::SyncCall sync = {});
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    ~JournalWriter();

    // Where the journal is written.
    void setPath(const QString& path) { path_ = path; }
    QString path() const { return path_; }

    // Starts the journal with the job as it is now, replacing any file at
    // the path (the new file is written whole beside it first).
    bool begin(const JobState& job);

    // Goes on with a journal that was read back and restored: what follows
    // its last whole entry is cut off, and new entries follow.
    bool resume(const JournalContents& contents);

    bool isOpen() const { return file_.isOpen(); }

    // Writes one entry at once.
    void record(const JournalEntry& entry);

    // Writes one entry, job being the job before the entry is carried out:
    // the journal begins with it when it has not begun. When writing had
    // failed and the entry is a close of a pupil (or the file was found
    // removed), the journal is written afresh.
    void record(const JournalEntry& entry, const JobState& job);

    // A save of the job file succeeded; complete when it held every print
    // (no pupil was open).
    void markSaved(bool complete);

    // The job file the job was loaded from or saved to: written to the
    // journal (now, or with its start), so a restored run knows it.
    void noteJobFile(const QString& path, const QByteArray& fileDigest = {});
    // Records the job's companion as it now stands (a roster imported, a
    // tie made): a restore gives it back; a journal started again keeps it.
    void recordCompanion(const QByteArray& companionBytes);
    QString jobFile() const { return jobFile_; }

    // Writes the journal afresh, whole, after writing failed; true when it
    // works again.
    bool retry();

    // Waits until everything written is on the disk. A sync that failed is
    // handled as one at a close: the journal is written afresh.
    void waitForDisk();

    // Called on the writing thread, from its event loop, after a sync that
    // failed once its call had returned was handled (as waitForDisk does):
    // the moment to tell the operator what failed() and atRisk() say then.
    void setOnLateFailure(std::function<void()> onLateFailure) {
        onLateFailure_ = std::move(onLateFailure);
    }
    bool hasOnLateFailure() const { return bool(onLateFailure_); }

    // Whether something changed since the journal began or was last saved.
    bool hasUnsavedChanges() const { return unsaved_; }

    // Whether writing has failed; the run goes on without a journal then.
    bool failed() const { return failed_; }

    // Whether keyed work is at risk: writing has failed and something
    // changed since the last complete save.
    bool atRisk() const { return failed_ && unsaved_; }

    // True once, the first time it is asked after writing has failed: the
    // moment to tell the operator.
    bool takeFailureNotice() {
        const bool notice = failed_ && !failureNoticed_;
        failureNoticed_ = failureNoticed_ || failed_;
        return notice;
    }

    // The end of a run: a journal with nothing unsaved is removed (also
    // one that could not be written to the end, once a save held
    // everything), one with unsaved changes is kept for the next start to
    // offer.
    void finish();

    // The end of a run whose work is not to be offered again: the journal
    // is set aside as setJournalAside() does. Returns the new path.
    QString setAside();

private:
    bool writeAfresh();
    void write(quint8 kind, const QByteArray& payload, bool sync);
    void fail();
    // Closes the file once its syncs are done.
    void closeFile();
    // Takes in a sync that failed: the journal is marked; true then.
    bool takeSyncFailure();
    void lateSyncFailure();

    QString path_;
    QFile file_;
    // Everything the journal holds (what was written, and what could not
    // be): the file as it should be.
    QByteArray journal_;
    QString jobFile_;
    QByteArray jobFileDigest_;
    QByteArray companion_;
    bool unsaved_ = false;
    bool failed_ = false;
    bool lost_ = false;   // the open file was removed: start afresh at once
    bool ended_ = false;  // finished or set aside: nothing more is written
    bool failureNoticed_ = false;
    std::function<void()> onLateFailure_;
    const JournalSync::SyncCall syncData_;
    // Last, so that it goes first, with anything it has posted.
    JournalSync sync_;
};

// The journal's own texts.
namespace JournalTexts {
extern const QString kNotAJournal;   // the file is no journal of this program
extern const QString kStartDamaged;  // the job it started with cannot be read
extern const QString kReadFailed;    // the file could not be read
extern const QString kJobRefused;    // %1: the job loader's message on a job it holds
}  // namespace JournalTexts
