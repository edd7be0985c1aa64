#pragma once

#include "domain/field_reader.h"
#include "domain/job_file_format.h"
#include "domain/job_state.h"

#include <QString>

class QIODevice;

// What became of a load.
struct JobFileLoadResult {
    enum class Status {
        Complete,     // every field was read
        Partial,      // reading stopped at a field; the fields before it were stored
        NothingRead,  // reading stopped before anything was stored: the job is unchanged
    };
    enum class Reason {
        None,
        CannotOpen,         // the file could not be opened
        TooLarge,           // the file is far larger than any job file; not read
        ReadError,          // the device failed while being read
        EndOfFile,          // the file ends before the field
        UnterminatedQuote,  // the field's quoted text is never closed
        NotANumber,         // a numeric header field holds something else
        OutOfRange,         // a number does not fit its 16- or 32-bit field
    };

    Status status = Status::NothingRead;
    Reason reason = Reason::None;

    // Where reading stopped (when not Complete and the reason is a field's):
    // the section, the position within it (header position 1 to 21, photo
    // number 1 to C, person slot 1 to 1500) and the field's number counted
    // from the start of the file.
    JobFileSection section = JobFileSection::Header;
    int index = 0;
    int fieldNumber = 0;

    // The number of count fields found by the counting pass (0 to 10000).
    int countFields = 0;

    // The file's size in bytes, when known (reported with TooLarge).
    qint64 fileSize = -1;

    // The message for the operator; empty when the load was complete.
    QString message;

    bool complete() const { return status == Status::Complete; }
};

// Reads a job file into the job. The header fields, the first C print counts
// (C found by content: the fields after the header up to the first one that
// holds "(", at most 10000) and the 1500 person records are stored in that
// order; a record without "(" gets the label of its slot, "(k) ", in front.
// When the reading stops at a field (the file ends, a numeric header field
// holds no number or too large a one, a quote is never closed), the fields
// before it keep their new values and everything else keep its old one;
// a stop during the counting pass stores nothing. The range counts
// largeCount, mediumCount and smallCount are left as they are.
JobFileLoadResult LoadJobFile(JobState& job, const QString& path);

// The same from an open device (read from its current position).
JobFileLoadResult loadJobFile(JobState& job, QIODevice* device,
                              qint64 maxBytes = JobFileFormat::kMaxJobFileBytes);

// The same from decoded text.
JobFileLoadResult loadJobFileText(JobState& job, const QString& text);

// Message texts.
namespace JobFileLoadMessages {
extern const QString kCannotOpen;   // %1: the path
extern const QString kTooLarge;     // %1: the size, %2: the limit, in bytes
extern const QString kReadError;    // %1: the device's error
extern const QString kPartial;      // %1: where, %2: why, %3: field number
extern const QString kNothingRead;  // %1: where, %2: why, %3: field number
QString reasonText(JobFileLoadResult::Reason reason);
}  // namespace JobFileLoadMessages
