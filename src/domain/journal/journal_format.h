// SPDX-License-Identifier: MIT
#pragma once

#include "domain/journal/journal.h"

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The journal's file, byte by byte: the 8 bytes "PICTORJ1", then frames.
// A frame is its length n (4 bytes, little-endian), n bytes (a kind, then
// its data), and the CRC-32 of those n bytes (4 bytes): a frame cut short
// or written only in part is recognised and ends the reading. The first
// frame holds the job as it started (kind kStartFrame, a snapshot of the
// job); every other frame one entry: its kind, its value (4 bytes,
// little-endian), then the texts of a correction or a job file, or the
// whole job of a combine.
namespace JournalFormat {

extern const QByteArray kMagic;
inline constexpr quint8 kStartFrame = 1;
inline constexpr quint32 kLargestFrame = 64 * 1024 * 1024;

// A job file's digest in a journal entry: "sha256:" and its hexadecimal
// digits. Journals of earlier versions hold the file's times there
// instead, which read as no digest.
QString jobFileDigestText(const QByteArray& digest);
QByteArray jobFileDigestOfText(const QString& text);

// The whole job, as the start frame and a combine entry hold it.
QByteArray jobSnapshot(const JobState& job);
bool readJobSnapshot(const QByteArray& bytes, JobState& job);

// An entry's data (after its kind), and the entry read back from it; none
// for a kind this version does not know or data that does not read.
QByteArray entryData(const JournalEntry& entry);
std::optional<JournalEntry> readEntry(quint8 kind, QByteArrayView data);

// A frame: its length, the kind and data, their CRC-32.
QByteArray frameBytes(quint8 kind, const QByteArray& payload);
// Whether a whole frame starts at `at`: a length that fits and its CRC.
bool wholeFrameAt(const QByteArray& bytes, qsizetype at);
// The whole frames after a bad one at `at`: looked for from the byte after
// its start, and followed from the first found.
int wholeFramesAfter(const QByteArray& bytes, qsizetype at);

}  // namespace JournalFormat
