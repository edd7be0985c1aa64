// SPDX-License-Identifier: MIT
#include "domain/journal/journal.h"

#include "domain/entry/order_entry.h"
#include "domain/entry/record_correction.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/files/system_files.h"
#include "domain/journal/journal_format.h"
#include "domain/platform/platform_relay.h"
#include "domain/tools/job_combine.h"

#include <algorithm>
#include <array>

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

const QString JournalTexts::kNotAJournal = QStringLiteral("ピクトルの入力記録ではありません。");
const QString JournalTexts::kStartDamaged =
    QStringLiteral("入力記録の始め（作業の設定）が壊れていて読み取れません。");
const QString JournalTexts::kReadFailed = QStringLiteral("入力記録のファイルを読み取れません。");
const QString JournalTexts::kJobRefused = QStringLiteral(
    "入力記録の中の作業が、ジョブファイルとして読み込めない内容になっています。\n%1");

namespace {

using namespace JournalFormat;

constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kPrivateFolder = kPrivateFile | QFileDevice::ExeOwner;

}  // namespace

bool JournalEntry::hasTexts() const {
    return isCorrection() || kind == Kind::JobFile || kind == Kind::Companion || kind == Kind::Tie;
}

bool JournalEntry::isSyncPoint() const {
    if (kind == Kind::KeyPress)
        return value == u'/' || value == u'*' || value == u'=';
    if (kind == Kind::Tie)
        return !text1.isEmpty();  // a registered pupil's; the open slip's waits for its close
    return kind == Kind::FinishClose || isCorrection() || kind == Kind::Combine ||
           kind == Kind::JobFile || kind == Kind::Companion;
}

bool JournalEntry::mayChangeJob() const {
    switch (kind) {
        case Kind::KeyPress:
        case Kind::CopyCount:
        case Kind::FinishClose:
        case Kind::CorrectionAdd:
        case Kind::CorrectionDelete:
        case Kind::Combine:
        case Kind::Tie:
            return true;
        default:
            return false;
    }
}

bool JournalEntry::isCorrection() const {
    return kind == Kind::CorrectionAdd || kind == Kind::CorrectionDelete;
}

void applyInputEntry(OrderEntry& engine, const JournalEntry& entry) {
    using Kind = JournalEntry::Kind;
    switch (entry.kind) {
        case Kind::KeyDown:
            engine.Form_KeyDown(entry.value);
            break;
        case Kind::KeyPress:
            engine.Form_KeyPress(entry.value);
            break;
        case Kind::CopyCount:
            engine.setVScroll1(entry.value);
            break;
        case Kind::PageEarlier:
            engine.cbMae_Click();
            break;
        case Kind::PageLater:
            engine.cbAto_Click();
            break;
        case Kind::FinishClose:
            engine.closeOpenEntryForFinish();
            break;
        case Kind::AlertClosed:
            engine.alertClosed();
            break;
        case Kind::Activate:
            engine.Form_Activate();
            break;
        case Kind::CorrectionAdd:
        case Kind::CorrectionDelete:
        case Kind::Combine:
        case Kind::Saved:
        case Kind::JobFile:
        case Kind::Companion:
        case Kind::Tie:
            break;
    }
}

void applyCorrectionEntry(JobState& job, Platform& platform, const JournalEntry& entry) {
    if (!entry.isCorrection())
        return;
    RecordCorrection correction(job, platform);
    correction.setText1(entry.text1);
    correction.setText2(entry.text2);
    if (entry.kind == JournalEntry::Kind::CorrectionAdd)
        correction.Command2_Click();
    else
        correction.Command4_Click();
}

void applyCombineEntry(OrderEntry& engine, const JournalEntry& entry) {
    if (entry.kind != JournalEntry::Kind::Combine)
        return;
    JobState other;
    if (!readJobSnapshot(entry.otherJob, other) || combineRefusal(engine.job(), other))
        return;
    combineJobs(engine.job(), other);
    engine.Form_Activate();
}

void applyJournalEntry(OrderEntry& engine, Platform& platform, const JournalEntry& entry) {
    if (entry.isCorrection())
        applyCorrectionEntry(engine.job(), platform, entry);
    else if (entry.kind == JournalEntry::Kind::Combine)
        applyCombineEntry(engine, entry);
    else
        applyInputEntry(engine, entry);
}

JournalEntry JournalEntry::combine(const JobState& other) {
    JournalEntry entry(Kind::Combine);
    entry.otherJob = jobSnapshot(other);
    return entry;
}

JournalEntry JournalEntry::tie(std::optional<int> registeredPupil, std::optional<int> rosterPupil) {
    const auto text = [](std::optional<int> number) {
        return number ? QString::number(*number) : QString();
    };
    return {Kind::Tie, text(registeredPupil), text(rosterPupil)};
}

namespace {

std::optional<int> numberText(const QString& text) {
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && number >= 0 ? std::optional<int>(number) : std::nullopt;
}

}  // namespace

std::optional<int> JournalEntry::tiedRegisteredPupil() const {
    return numberText(text1);
}

std::optional<int> JournalEntry::tiedRosterPupil() const {
    return numberText(text2);
}

QByteArray jobSnapshotBytes(const JobState& job) {
    return jobSnapshot(job);
}

bool readJobSnapshotBytes(const QByteArray& bytes, JobState& job) {
    return readJobSnapshot(bytes, job);
}

bool jobLoadsAsJobFile(const JobState& job, QString* problem) {
    const JobFileContents contents = jobFileContents(job);
    JobState loaded;
    const JobFileLoadResult result = loadJobFileBytes(loaded, contents.bytes);
    if (problem)
        *problem = result.message;
    return contents.ok && result.complete();
}

JobState replayJournal(const JournalContents& contents, const QString& programDirectory) {
    JobState job = contents.start;
    SilentPlatform silent;
    OrderEntry engine(job, silent);
    engine.Form_Load(programDirectory);
    for (const JournalEntry& entry : contents.entries)
        applyJournalEntry(engine, silent, entry);
    return job;
}

std::optional<JournalContents> readJournal(QIODevice& device, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QByteArray bytes = device.readAll();
    if (!bytes.startsWith(kMagic))
        return fail(JournalTexts::kNotAJournal);

    JournalContents contents;
    bool started = false;
    qsizetype at = kMagic.size();
    // A frame that cannot be read: a cut at the end when nothing whole
    // follows it, damage when whole frames, or bytes beyond its length,
    // follow it or it was written whole (its CRC holds).
    const auto stopAt = [&](bool writtenWhole) {
        const qsizetype left = bytes.size() - at;
        const quint32 size = left >= 4 ? qFromLittleEndian<quint32>(bytes.constData() + at) : 0;
        const bool bytesBeyond = size >= 1 && size <= kLargestFrame && left > qsizetype(8 + size);
        contents.framesAfterDamage = wholeFramesAfter(bytes, at);
        contents.damaged = writtenWhole || bytesBeyond || contents.framesAfterDamage > 0;
        contents.cut = !contents.damaged;
    };
    for (;;) {
        const qsizetype left = bytes.size() - at;
        if (left == 0)
            break;
        if (!wholeFrameAt(bytes, at)) {
            if (!started)
                return fail(JournalTexts::kStartDamaged);
            stopAt(false);
            break;
        }
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at);
        const char* frame = bytes.constData() + at + 4;
        const quint8 kind = quint8(frame[0]);
        const QByteArrayView data(frame + 1, size - 1);
        if (!started) {
            if (kind != kStartFrame || !readJobSnapshot(data.toByteArray(), contents.start))
                return fail(JournalTexts::kStartDamaged);
            QString problem;
            if (!jobLoadsAsJobFile(contents.start, &problem))
                return fail(JournalTexts::kJobRefused.arg(problem));
            started = true;
        } else {
            const std::optional<JournalEntry> entry = readEntry(kind, data);
            if (!entry) {
                stopAt(true);
                break;
            }
            if (entry->kind == JournalEntry::Kind::Combine) {
                JobState other;
                readJobSnapshot(entry->otherJob, other);
                QString problem;
                if (!jobLoadsAsJobFile(other, &problem))
                    return fail(JournalTexts::kJobRefused.arg(problem));
            }
            if (entry->kind == JournalEntry::Kind::Saved)
                contents.unsaved = entry->value == 0;
            else if (entry->mayChangeJob())
                contents.unsaved = true;
            if (entry->kind == JournalEntry::Kind::JobFile) {
                contents.jobFilePath = entry->text1;
                contents.jobFileDigest = jobFileDigestOfText(entry->text2);
            }
            if (entry->kind == JournalEntry::Kind::Companion)
                contents.companion = entry->text1.toUtf8();
            contents.entries.append(*entry);
        }
        at += 8 + size;
        contents.wholeSize = at;
    }
    if (!started)
        return fail(JournalTexts::kStartDamaged);
    // What followed the damage is not known: it may hold unsaved work.
    contents.unsaved = contents.unsaved || contents.damaged;
    return contents;
}

std::optional<JournalContents> readJournalFile(const QString& path, QString* error) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = JournalTexts::kReadFailed;
        return std::nullopt;
    }
    std::optional<JournalContents> contents = readJournal(file, error);
    if (!contents)
        return contents;
    contents->lastChange = QFileInfo(file).lastModified();
    const QFileInfo mark(incompleteMarkPath(path));
    if (mark.exists()) {
        // Its run went on without it: the last work may be missing, saved
        // or not.
        contents->incomplete = true;
        contents->unsaved = true;
        contents->lastChange = std::max(contents->lastChange, mark.lastModified());
    }
    return contents;
}

QString incompleteMarkPath(const QString& journalPath) {
    return journalPath + QStringLiteral(".incomplete");
}

QString setJournalAside(const QString& journalPath, const QDateTime& now) {
    const QFileInfo info(journalPath);
    QString base = info.fileName();
    if (base.endsWith(QStringLiteral(".journal")))
        base.chop(8);
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-ddTHH-mm-ss"));
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            QStringLiteral("%1.%2%3.previous.journal")
                .arg(base, stamp, n > 1 ? QStringLiteral("-%1").arg(n) : QString());
        const QString target = info.dir().filePath(name);
        // Never onto another file: a rename that finds one fails.
        if (QFile::rename(journalPath, target)) {
            if (QFile::exists(incompleteMarkPath(journalPath)))
                QFile::rename(incompleteMarkPath(journalPath), incompleteMarkPath(target));
            return target;
        }
        if (!QFile::exists(target))
            return {};  // the journal itself could not be renamed
    }
    return {};
}

bool makePrivateFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir()) {
        QDir().mkpath(info.absolutePath());
        QDir().mkdir(info.absoluteFilePath(), kPrivateFolder);
    }
    // A folder made by an earlier version, with the user's usual rights.
    if (QFileInfo(folder).isDir() && QFile::permissions(folder) != kPrivateFolder)
        QFile::setPermissions(folder, kPrivateFolder);
    return QFileInfo(folder).isDir();
}

JournalWriter::JournalWriter(JournalSync::SyncCall sync)
    : syncData_(sync ? std::move(sync) : JournalSync::SyncCall(&SystemFiles::syncData)),
      sync_(syncData_) {
    sync_.setOnFailure([this] { lateSyncFailure(); });
}

JournalWriter::~JournalWriter() {
    closeFile();
}

void JournalWriter::closeFile() {
    sync_.setFile(-1);
    file_.close();
}

bool JournalWriter::takeSyncFailure() {
    if (!sync_.takeFailure())
        return false;
    fail();
    return true;
}

void JournalWriter::lateSyncFailure() {
    if (ended_ || !takeSyncFailure())
        return;
    writeAfresh();
    if (onLateFailure_)
        onLateFailure_();
}

void JournalWriter::waitForDisk() {
    sync_.wait();
    if (!ended_ && takeSyncFailure())
        writeAfresh();
}

void JournalWriter::fail() {
    if (!failed_ && QFile::exists(path_)) {
        // Beside the journal, so the next start knows it may lack the last
        // work; a file with nothing in it, which a full disk still takes.
        QFile mark(incompleteMarkPath(path_));
        if (mark.open(QIODevice::WriteOnly, kPrivateFile))
            mark.close();
    }
    failed_ = true;
}

bool JournalWriter::writeAfresh() {
    // Written whole beside the journal, then put in its place: a failure
    // part way leaves the journal there as it was.
    closeFile();
    sync_.takeFailure();  // of the file replaced: this one is synced here
    failed_ = false;
    const QString fresh = path_ + QStringLiteral(".new");
    QFile::remove(fresh);
    file_.setFileName(fresh);
    bool written = makePrivateFolder(QFileInfo(path_).absolutePath()) &&
                   file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered,
                              kPrivateFile) &&
                   file_.write(journal_) == journal_.size();
    written = written && syncData_(file_.handle()) == 0;
    // Closed for the rename (Windows renames no file that is held open) and
    // opened again at its own name, to go on at its end.
    file_.close();
    written = written && SystemFiles::renameOver(fresh, path_) == 0;
    if (written) {
        file_.setFileName(path_);
        written = file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    }
    if (!written) {
        file_.close();
        QFile::remove(fresh);
        fail();
        return false;
    }
    sync_.setFile(file_.handle());
    SystemFiles::syncFolder(QFileInfo(path_).absolutePath());
    QFile::remove(incompleteMarkPath(path_));
    lost_ = false;
    failureNoticed_ = false;
    return true;
}

bool JournalWriter::begin(const JobState& job) {
    unsaved_ = false;
    journal_ = kMagic + frameBytes(kStartFrame, jobSnapshot(job));
    if (!jobFile_.isEmpty()) {
        const JournalEntry file(JournalEntry::Kind::JobFile, jobFile_,
                                jobFileDigestText(jobFileDigest_));
        journal_ += frameBytes(quint8(file.kind), entryData(file));
    }
    if (!companion_.isEmpty()) {
        const JournalEntry companion(JournalEntry::Kind::Companion, QString::fromUtf8(companion_),
                                     QString());
        journal_ += frameBytes(quint8(companion.kind), entryData(companion));
    }
    return writeAfresh();
}

bool JournalWriter::retry() {
    return !failed_ || journal_.isEmpty() || writeAfresh();
}

bool JournalWriter::resume(const JournalContents& contents) {
    unsaved_ = contents.unsaved;
    jobFile_ = contents.jobFilePath;
    jobFileDigest_ = contents.jobFileDigest;
    companion_ = contents.companion;
    closeFile();
    sync_.takeFailure();  // of a journal before: this one starts whole
    file_.setFileName(path_);
    // A cut entry at the end goes; new entries follow the last whole one.
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered) ||
        !file_.setPermissions(kPrivateFile) ||
        (journal_ = file_.read(contents.wholeSize)).size() != contents.wholeSize ||
        !file_.resize(contents.wholeSize) || !file_.seek(contents.wholeSize)) {
        file_.close();
        journal_.clear();
        fail();
        return false;
    }
    sync_.setFile(file_.handle());
    // The journal holds the job this run goes on with, whatever the run
    // before could not write.
    QFile::remove(incompleteMarkPath(path_));
    return true;
}

void JournalWriter::write(quint8 kind, const QByteArray& payload, bool sync) {
    if (journal_.isEmpty())
        return;  // not begun
    const QByteArray frame = frameBytes(kind, payload);
    // Kept whole in memory too, to write the journal afresh after a failure.
    journal_ += frame;
    if (failed_ || !file_.isOpen())
        return;
    // One write of the whole frame, straight to the system, and a sync asked
    // for without waiting for it.
    bool written = file_.write(frame) == frame.size();
    if (written && sync)
        sync_.request();
    // The journal's folder, or the journal, was removed meanwhile.
    if (written && sync && SystemFiles::hasNoName(file_.handle())) {
        lost_ = true;
        written = false;
    }
    if (!written)
        fail();
}

void JournalWriter::record(const JournalEntry& entry) {
    if (entry.mayChangeJob())
        unsaved_ = true;
    // A close of a pupil, finishing, corrections and combines are synced
    // (fsync), by the sync thread.
    write(quint8(entry.kind), entryData(entry), entry.isSyncPoint());
}

void JournalWriter::record(const JournalEntry& entry, const JobState& job) {
    if (ended_)
        return;
    if (journal_.isEmpty())
        begin(job);
    // A sync that failed since the last entry: the journal is written
    // afresh with this entry, as after a close whose sync failed.
    const bool syncFailed = takeSyncFailure();
    record(entry);
    if (failed_ && (syncFailed || lost_ || entry.isSyncPoint()))
        writeAfresh();
}

void JournalWriter::markSaved(bool complete) {
    unsaved_ = !complete;
    const JournalEntry entry(JournalEntry::Kind::Saved, complete ? 1 : 0);
    write(quint8(entry.kind), entryData(entry), true);
}

void JournalWriter::recordCompanion(const QByteArray& companionBytes) {
    if (companionBytes == companion_)
        return;
    companion_ = companionBytes;
    const JournalEntry entry(JournalEntry::Kind::Companion, QString::fromUtf8(companionBytes),
                             QString());
    write(quint8(entry.kind), entryData(entry), true);
}

void JournalWriter::noteJobFile(const QString& path, const QByteArray& fileDigest) {
    if (path.isEmpty() || (path == jobFile_ && fileDigest == jobFileDigest_))
        return;
    jobFile_ = path;
    jobFileDigest_ = fileDigest;
    const JournalEntry entry(JournalEntry::Kind::JobFile, path, jobFileDigestText(fileDigest));
    write(quint8(entry.kind), entryData(entry), true);
}

void JournalWriter::finish() {
    const bool begun = !journal_.isEmpty();
    if (begun && !ended_)
        waitForDisk();
    closeFile();
    ended_ = true;
    // Once a save held everything, a journal that could not be written to
    // the end holds nothing to restore either.
    if (begun && !unsaved_) {
        QFile::remove(path_);
        QFile::remove(incompleteMarkPath(path_));
    }
}

QString JournalWriter::setAside() {
    closeFile();
    takeSyncFailure();  // marked incomplete, and set aside with its mark
    ended_ = true;
    return QFile::exists(path_) ? setJournalAside(path_, QDateTime::currentDateTime()) : QString();
}
