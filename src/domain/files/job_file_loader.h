// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/field_reader.h"
#include "domain/files/file_replacement.h"
#include "domain/files/job_file_format.h"
#include "domain/job/job_state.h"

#include <QString>
#include <QStringList>

class QIODevice;

// What became of a load.
struct JobFileLoadResult {
    enum class Status {
        Complete,     // every field was read
        Partial,      // the file ends (or breaks off) among the slots not yet used;
                      // the job was loaded, those slots keep what they held
        NothingRead,  // the file was refused: the job is unchanged
    };
    enum class Reason {
        None,
        CannotOpen,         // the file could not be opened
        NotAFile,           // a folder, a named pipe, a device: only files are read
        InUse,              // another program holds the file open and lets nobody read it
        TooLarge,           // the file is far larger than any job file; not read
        ReadError,          // the device failed while being read
        EndOfFile,          // the file ends before the field
        UnterminatedQuote,  // the field's quoted text is never closed
        NotANumber,         // a numeric header field holds something else
        OutOfRange,         // a number does not fit its 16- or 32-bit field
        BadValue,           // a value the job cannot take (see problem)
    };

    Status status = Status::NothingRead;
    Reason reason = Reason::None;

    // Where reading stopped or the bad value is (when not Complete and the
    // reason is a field's): the section, the position within it (header
    // position 1 to 21, photo number 1 to C, pupil slot 1 to 1500) and the
    // field's number counted from the start of the file.
    JobFileSection section = JobFileSection::Header;
    int index = 0;
    int fieldNumber = 0;

    // With BadValue: what is wrong with the value, for the operator.
    QString problem;

    // The number of count fields found by the counting pass (0 to 10000).
    int countFields = 0;

    // The file's size in bytes, when known (reported with TooLarge).
    qint64 fileSize = -1;

    // Bytes of the file that are no CP932 character, read as U+FFFD, and
    // the fields (as jobFileFieldPlace names them) that hold them.
    qsizetype replacedBytes = 0;
    QStringList replacedPlaces;

    // The message for the operator: why the file was refused, where a
    // partial load stopped, the bytes that were replaced; empty when the
    // load was complete and clean.
    QString message;

    // The SHA-256 of the bytes read (contentDigest; empty for a text): a
    // save back to the file can tell whether another program has written
    // it since.
    QByteArray fileDigest;

    bool complete() const { return status == Status::Complete; }
    bool loaded() const { return status != Status::NothingRead; }
};

// Reads a job file into the job. The header fields, the first C print counts
// (C found by content: the fields after the header up to the first one that
// holds "(", at most 10000) and the 1500 pupil records are read in that
// order; a record without "(" gets the label of its slot, "(k) ", in front,
// and a slot after the registered pupils, which the format leaves unused,
// holds its bare label whatever the file has there.
//
// The job is only changed when the file is taken, and it is only taken
// when every value the program relies on is as the setup and input screens
// would have left it: both modes 0 or 1; each range in use within 1..9999
// with its start not above its end, a switched-off size 0..0 with the price
// 0; prices below 30000; header texts no longer than a setup box takes;
// personCount and lastRecordSlot equal whole numbers 0..1500; no count below
// 0; the records of slots 1..personCount all in the file, each with at most
// 100 photo numbers and no item longer than the program writes. A file that
// fails any of these, or breaks off before the first unused slot, is
// refused and the result names the field and what is wrong. A file that
// breaks off among the unused slots is taken (Partial): the slots it does
// not reach keep what they held. The range counts largeCount, mediumCount
// and smallCount are left as they are.
JobFileLoadResult LoadJobFile(JobState& job, const QString& path);

// The same from an open device (read from its current position).
JobFileLoadResult loadJobFile(JobState& job, QIODevice* device,
                              qint64 maxBytes = JobFileFormat::kMaxJobFileBytes);

// The same from the file's bytes (at most JobFileFormat::kMaxJobFileBytes).
JobFileLoadResult loadJobFileBytes(JobState& job, QByteArrayView bytes);

// The same from decoded text.
JobFileLoadResult loadJobFileText(JobState& job, const QString& text);

// Message texts.
namespace JobFileLoadMessages {
extern const QString kCannotOpen;      // %1: the path
extern const QString kNotAFile;        // %1: the path
extern const QString kTooLarge;        // %1: the size, %2: the limit, in bytes
extern const QString kReadError;       // %1: the device's error
extern const QString kPartial;         // %1: where, %2: why, %3: field number
extern const QString kNothingRead;     // %1: where, %2: why, %3: field number
extern const QString kBadValue;        // %1: where, %2: what is wrong, %3: field number
extern const QString kRecordsMissing;  // %1: pupils registered
extern const QString kReplacedBytes;   // %1: how many, %2: the places
QString reasonText(JobFileLoadResult::Reason reason);
}  // namespace JobFileLoadMessages
