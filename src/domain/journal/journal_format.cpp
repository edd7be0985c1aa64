// SPDX-License-Identifier: MIT
#include "domain/journal/journal_format.h"

#include <array>

#include <QDataStream>
#include <QtEndian>

namespace JournalFormat {

namespace {
const QString kDigestPrefix = QStringLiteral("sha256:");
}  // namespace

QString jobFileDigestText(const QByteArray& digest) {
    if (digest.isEmpty())
        return {};
    return kDigestPrefix + QString::fromLatin1(digest.toHex());
}

QByteArray jobFileDigestOfText(const QString& text) {
    if (!text.startsWith(kDigestPrefix))
        return {};
    const QByteArray digest = QByteArray::fromHex(text.mid(kDigestPrefix.size()).toLatin1());
    return digest.size() == 32 ? digest : QByteArray();
}

extern const QByteArray kMagic = QByteArrayLiteral("PICTORJ1");

namespace {

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

}  // namespace

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
    if (entry.hasTexts()) {
        QDataStream out(&bytes, QIODevice::Append);
        out.setVersion(kStreamVersion);
        out << entry.text1 << entry.text2;
    } else if (entry.kind == JournalEntry::Kind::Combine) {
        bytes += entry.otherJob;
    }
    return bytes;
}

namespace {

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
        case Kind::JobFile:
        case Kind::Companion:
        case Kind::Tie:
            return true;
    }
    return false;
}

}  // namespace

std::optional<JournalEntry> readEntry(quint8 kind, QByteArrayView data) {
    if (!isKnownKind(kind) || data.size() < 4)
        return std::nullopt;
    JournalEntry entry;
    entry.kind = JournalEntry::Kind(kind);
    entry.value = qFromLittleEndian<qint32>(data.data());
    if (entry.hasTexts()) {
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

// A frame: its length, the kind and data, their CRC-32.
QByteArray frameBytes(quint8 kind, const QByteArray& payload) {
    const quint32 size = quint32(payload.size() + 1);
    QByteArray frame(qsizetype(size) + 8, Qt::Uninitialized);
    char* data = frame.data();
    qToLittleEndian<quint32>(size, data);
    data[4] = char(kind);
    memcpy(data + 5, payload.constData(), size_t(payload.size()));
    qToLittleEndian<quint32>(crc32(data + 4, size), data + 4 + size);
    return frame;
}

// Whether a whole frame starts at `at`: a length that fits and its CRC.
bool wholeFrameAt(const QByteArray& bytes, qsizetype at) {
    if (bytes.size() - at < 8)
        return false;
    const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at);
    if (size < 1 || size > kLargestFrame || bytes.size() - at < qsizetype(8 + size))
        return false;
    const char* frame = bytes.constData() + at + 4;
    return crc32(frame, size) == qFromLittleEndian<quint32>(frame + size);
}

// The whole frames after a bad one at `at`: looked for from the byte after
// its start, and followed from the first found.
int wholeFramesAfter(const QByteArray& bytes, qsizetype at) {
    qsizetype found = at + 1;
    while (found < bytes.size() && !wholeFrameAt(bytes, found))
        ++found;
    int frames = 0;
    while (wholeFrameAt(bytes, found)) {
        ++frames;
        found += 8 + qFromLittleEndian<quint32>(bytes.constData() + found);
    }
    return frames;
}

}  // namespace JournalFormat
