// SPDX-License-Identifier: MIT
#include "domain/journal.h"

#include "domain/job_combine.h"
#include "domain/order_entry.h"
#include "domain/platform_relay.h"
#include "domain/record_correction.h"

#include <array>

#include <QDataStream>
#include <QFileInfo>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

const QString JournalTexts::kNotAJournal = QStringLiteral("ピクトルの入力記録ではありません。");
const QString JournalTexts::kStartDamaged =
    QStringLiteral("入力記録の始め（作業の設定）が壊れていて読み取れません。");
const QString JournalTexts::kReadFailed = QStringLiteral("入力記録のファイルを読み取れません。");

// The file: the 8 bytes "PICTORJ1", then frames. A frame is its length n
// (4 bytes, little-endian), n bytes (a kind, then its data), and the CRC-32
// of those n bytes (4 bytes): a frame cut short or written only in part is
// recognised and ends the reading. The first frame holds the job as it
// started (kind 1); every other frame one entry: its kind, its value (4
// bytes, little-endian), then the texts of a correction or the whole job
// of a combine.
namespace {

const QByteArray kMagic = QByteArrayLiteral("PICTORJ1");
constexpr quint8 kStartFrame = 1;
constexpr quint32 kLargestFrame = 64 * 1024 * 1024;
constexpr int kStreamVersion = QDataStream::Qt_6_4;

constexpr std::array<quint32, 256> makeCrcTable() {
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<quint32, 256> kCrcTable = makeCrcTable();

quint32 crc32(const char* data, qsizetype size) {
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = kCrcTable[(c ^ quint8(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void writeNumberOrText(QDataStream& out, const NumberOrText& field) {
    out << field.isText();
    if (field.isText())
        out << field.toText();
    else
        out << field.value();
}

NumberOrText readNumberOrText(QDataStream& in) {
    bool isText = false;
    in >> isText;
    if (isText) {
        QString text;
        in >> text;
        return NumberOrText(text);
    }
    Number number = 0;
    in >> number;
    return NumberOrText(number);
}

QByteArray jobSnapshot(const JobState& job) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    writeNumberOrText(out, job.customerName);
    writeNumberOrText(out, job.eventName);
    out << job.shootingDate;
    writeNumberOrText(out, job.photographerName);
    writeNumberOrText(out, job.largeMode);
    writeNumberOrText(out, job.largeStart);
    writeNumberOrText(out, job.largeEnd);
    out << job.mediumMode;
    writeNumberOrText(out, job.mediumStart);
    writeNumberOrText(out, job.mediumEnd);
    writeNumberOrText(out, job.smallStart);
    out << job.smallEnd << job.largeCount << job.mediumCount << job.smallCount;
    writeNumberOrText(out, job.largeUnitPrice);
    writeNumberOrText(out, job.mediumUnitPrice);
    out << job.smallUnitPrice;
    for (const std::int16_t count : job.printCounts)
        out << count;
    out << job.grandTotalPrints << job.largeTotalPrints << job.mediumTotalPrints
        << job.smallTotalPrints << job.personCount << job.lastRecordSlot;
    out << job.personRecords;
    out << job.pendingEntry << job.pendingAmountText << job.currentPhotoNumber << job.copyCount
        << job.clearInputOnNextKey << job.hasPendingEntries << job.entryOverflow
        << job.removalFound;
    out << job.historyTopRow << job.historyRowCount << job.historyLines << job.correctedRecord;
    out << job.acceptSoundPath << job.closeSoundPath << job.keySoundPath;
    return bytes;
}

bool readJobSnapshot(const QByteArray& bytes, JobState& job) {
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    job.customerName = readNumberOrText(in);
    job.eventName = readNumberOrText(in);
    in >> job.shootingDate;
    job.photographerName = readNumberOrText(in);
    job.largeMode = readNumberOrText(in);
    job.largeStart = readNumberOrText(in);
    job.largeEnd = readNumberOrText(in);
    in >> job.mediumMode;
    job.mediumStart = readNumberOrText(in);
    job.mediumEnd = readNumberOrText(in);
    job.smallStart = readNumberOrText(in);
    in >> job.smallEnd >> job.largeCount >> job.mediumCount >> job.smallCount;
    job.largeUnitPrice = readNumberOrText(in);
    job.mediumUnitPrice = readNumberOrText(in);
    in >> job.smallUnitPrice;
    for (std::int16_t& count : job.printCounts)
        in >> count;
    in >> job.grandTotalPrints >> job.largeTotalPrints >> job.mediumTotalPrints >>
        job.smallTotalPrints >> job.personCount >> job.lastRecordSlot;
    in >> job.personRecords;
    in >> job.pendingEntry >> job.pendingAmountText >> job.currentPhotoNumber >> job.copyCount >>
        job.clearInputOnNextKey >> job.hasPendingEntries >> job.entryOverflow >> job.removalFound;
    in >> job.historyTopRow >> job.historyRowCount >> job.historyLines >> job.correctedRecord;
    in >> job.acceptSoundPath >> job.closeSoundPath >> job.keySoundPath;
    // The lists keep the sizes every other part of the program relies on.
    return in.status() == QDataStream::Ok && in.atEnd() &&
           job.personRecords.size() == JobState::kMaxPersons + 1 &&
           job.historyLines.size() == JobState::kHistoryLineSlots + 1;
}

QByteArray entryData(const JournalEntry& entry) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(entry.value, bytes.data());
    if (entry.isCorrection()) {
        QDataStream out(&bytes, QIODevice::Append);
        out.setVersion(kStreamVersion);
        out << entry.text1 << entry.text2;
    } else if (entry.kind == JournalEntry::Kind::Combine) {
        bytes += entry.otherJob;
    }
    return bytes;
}

bool isKnownKind(quint8 kind) {
    using Kind = JournalEntry::Kind;
    switch (Kind(kind)) {
        case Kind::KeyDown:
        case Kind::KeyPress:
        case Kind::CopyCount:
        case Kind::PageEarlier:
        case Kind::PageLater:
        case Kind::FinishClose:
        case Kind::AlertClosed:
        case Kind::Activate:
        case Kind::CorrectionAdd:
        case Kind::CorrectionDelete:
        case Kind::Combine:
        case Kind::Saved:
            return true;
    }
    return false;
}

std::optional<JournalEntry> readEntry(quint8 kind, QByteArrayView data) {
    if (!isKnownKind(kind) || data.size() < 4)
        return std::nullopt;
    JournalEntry entry;
    entry.kind = JournalEntry::Kind(kind);
    entry.value = qFromLittleEndian<qint32>(data.data());
    if (entry.isCorrection()) {
        const QByteArray rest(data.data() + 4, data.size() - 4);
        QDataStream in(rest);
        in.setVersion(kStreamVersion);
        in >> entry.text1 >> entry.text2;
        if (in.status() != QDataStream::Ok || !in.atEnd())
            return std::nullopt;
    } else if (entry.kind == JournalEntry::Kind::Combine) {
        entry.otherJob = QByteArray(data.data() + 4, data.size() - 4);
        JobState other;
        if (!readJobSnapshot(entry.otherJob, other))
            return std::nullopt;
    } else if (data.size() != 4) {
        return std::nullopt;
    }
    return entry;
}

}  // namespace

bool JournalEntry::mayChangeJob() const {
    switch (kind) {
        case Kind::KeyPress:
        case Kind::CopyCount:
        case Kind::FinishClose:
        case Kind::CorrectionAdd:
        case Kind::CorrectionDelete:
        case Kind::Combine:
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

QByteArray jobSnapshotBytes(const JobState& job) {
    return jobSnapshot(job);
}

bool readJobSnapshotBytes(const QByteArray& bytes, JobState& job) {
    return readJobSnapshot(bytes, job);
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
    for (;;) {
        const qsizetype left = bytes.size() - at;
        if (left == 0)
            break;
        if (left < 4) {
            contents.cut = true;
            break;
        }
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at);
        if (size < 1 || size > kLargestFrame || left < qsizetype(8 + size)) {
            contents.cut = true;
            break;
        }
        const char* frame = bytes.constData() + at + 4;
        if (crc32(frame, size) != qFromLittleEndian<quint32>(frame + size)) {
            contents.cut = true;
            break;
        }
        const quint8 kind = quint8(frame[0]);
        const QByteArrayView data(frame + 1, size - 1);
        if (!started) {
            if (kind != kStartFrame || !readJobSnapshot(data.toByteArray(), contents.start))
                return fail(JournalTexts::kStartDamaged);
            started = true;
        } else {
            const std::optional<JournalEntry> entry = readEntry(kind, data);
            if (!entry) {
                contents.cut = true;
                break;
            }
            if (entry->kind == JournalEntry::Kind::Saved)
                contents.unsaved = entry->value == 0;
            else if (entry->mayChangeJob())
                contents.unsaved = true;
            contents.entries.append(*entry);
        }
        at += 8 + size;
        contents.wholeSize = at;
    }
    if (!started)
        return fail(JournalTexts::kStartDamaged);
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
    if (contents)
        contents->lastChange = QFileInfo(file).lastModified();
    return contents;
}

JournalWriter::~JournalWriter() {
    file_.close();
}

bool JournalWriter::open(QIODevice::OpenMode mode) {
    file_.close();
    file_.setFileName(path_);
    failed_ = !file_.open(mode | QIODevice::Unbuffered);
    return !failed_;
}

bool JournalWriter::begin(const JobState& job) {
    unsaved_ = false;
    if (!open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    if (file_.write(kMagic) != kMagic.size()) {
        failed_ = true;
        return false;
    }
    const QByteArray snapshot = jobSnapshot(job);
    writeFrame(kStartFrame, snapshot, true);
    return !failed_;
}

bool JournalWriter::resume(const JournalContents& contents) {
    unsaved_ = contents.unsaved;
    if (!open(QIODevice::ReadWrite))
        return false;
    // A cut entry at the end goes; new entries follow the last whole one.
    if (!file_.resize(contents.wholeSize) || !file_.seek(contents.wholeSize)) {
        failed_ = true;
        file_.close();
        return false;
    }
    return true;
}

void JournalWriter::writeFrame(quint8 kind, const QByteArray& payload, bool sync) {
    if (failed_ || !file_.isOpen())
        return;
    const quint32 size = quint32(payload.size() + 1);
    QByteArray frame(qsizetype(size) + 8, Qt::Uninitialized);
    char* data = frame.data();
    qToLittleEndian<quint32>(size, data);
    data[4] = char(kind);
    memcpy(data + 5, payload.constData(), size_t(payload.size()));
    qToLittleEndian<quint32>(crc32(data + 4, size), data + 4 + size);
    // One write of the whole frame, straight to the system.
    if (file_.write(frame) != frame.size()) {
        failed_ = true;
        return;
    }
#ifdef Q_OS_UNIX
    if (sync && ::fdatasync(file_.handle()) != 0)
        failed_ = true;
#else
    Q_UNUSED(sync);
#endif
}

void JournalWriter::record(const JournalEntry& entry) {
    if (entry.mayChangeJob())
        unsaved_ = true;
    using Kind = JournalEntry::Kind;
    // A close of a pupil, finishing, corrections and combines go to the
    // disk at once.
    const bool closes = entry.kind == Kind::KeyPress &&
                        (entry.value == u'/' || entry.value == u'*' || entry.value == u'=');
    const bool sync = closes || entry.kind == Kind::FinishClose || entry.isCorrection() ||
                      entry.kind == Kind::Combine;
    writeFrame(quint8(entry.kind), entryData(entry), sync);
}

void JournalWriter::markSaved(bool complete) {
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::Saved;
    entry.value = complete ? 1 : 0;
    writeFrame(quint8(entry.kind), entryData(entry), true);
    unsaved_ = !complete;
}

void JournalWriter::finish() {
    if (!file_.isOpen())
        return;
    file_.close();
    if (!unsaved_ && !failed_)
        QFile::remove(path_);
}
