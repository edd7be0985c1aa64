// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QtGlobal>

// The operating system's side of files: every call the domain makes to the
// system goes through here, and one file per system makes them
// (system_files_posix.cpp; the Windows one beside it). Everything else in the
// domain uses Qt and this.
//
// An error is the system's number for it (errno on POSIX), 0 for none;
// faultOfSystemError says what it means to the operator.

// Why writing failed, as the operator is told it.
enum class FileFault {
    None,
    DiskFull,       // no space left on the device
    QuotaExceeded,  // the user's share of the disk is used up
    TooLarge,       // larger than the file system or the process may write
    NoPermission,   // the folder may not be written
    FileReadOnly,   // the file to replace may not be written by the user (read-only)
    ReadOnly,       // a read-only file system
    NameTooLong,    // a name longer than the file system allows
    FolderMissing,  // a folder on the way does not exist
    IsFolder,       // a folder holds the name
    NotAFile,       // a device, pipe or socket holds the name
    LinkLoop,       // symbolic links that lead round in a circle
    DeviceError,    // the disk itself reported an error
    InUse,          // another program holds the file open and lets nobody write it
                    // (Windows' sharing and lock violations; no POSIX error means it)
    Other,          // anything else (see the error number)
};

// The fault an error number stands for. Only a refused access (the user's
// rights) is NoPermission.
FileFault faultOfSystemError(int error);

// One version of a file: which file it is on its file system, its size and
// when it was last written. Two stamps of one path differ when the file was
// written in between, or replaced by another file.
struct FileStamp {
    quint64 device = 0;
    quint64 identity = 0;   // the file's number on its device
    qint64 size = -1;       // -1: there was no file
    qint64 modifiedNs = 0;  // when it was last written, in ns since 1970 (UTC)

    bool exists() const { return size >= 0; }
    QDateTime modified() const {
        return QDateTime::fromMSecsSinceEpoch(modifiedNs / 1000000, Qt::UTC);
    }
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at path (links followed); one that does not exist
// when nothing is there.
FileStamp fileStamp(const QString& path);

// The stamp of an open file (QFileDevice::handle()).
FileStamp fileStampOfDescriptor(int descriptor);

namespace SystemFiles {

// The errors the callers give themselves or tell apart.
int alreadyExists();
int isAFolder();
int linkLoop();

// Whether a failed makeLink means the file system gives no file a second
// name (as FAT does), rather than that this link was refused.
bool linksUnsupported(int error);

// What is at a path.
enum class Kind { Missing, File, Folder, Link, Other };

struct Status {
    Kind kind = Kind::Missing;
    FileStamp stamp;
    quint32 owner = 0;
    quint32 group = 0;
    quint32 permissions = 0;  // read, write and run for owner, group and others (0777)
};

// What is at path, a symbolic link not followed. Nothing there is Missing,
// not an error.
int statusAt(const QString& path, Status* status);

// Whether the user may write the file at path: 0, or the error that says why
// not.
int mayWrite(const QString& path);

// Gives the existing file at existing the second name newName.
int makeLink(const QString& existing, const QString& newName);

// Gives the new, empty file to (OpenFile::descriptor()) the contents of the
// open file from by sharing the file system's blocks (a reflink: Btrfs and
// XFS on Linux, block cloning on ReFS): no data is copied, and the two
// files change apart afterwards as copies do, never one through the other.
// 0 when done; an error for which cloneUnsupported holds when this file
// system (or these two files) cannot, and the caller copies.
int cloneFile(int fromDescriptor, int toDescriptor);
bool cloneUnsupported(int error);

// Renames from to to, replacing whatever is at to in one step.
int renameOver(const QString& from, const QString& to);

// Removes the name path (a file, not a folder).
int removeFile(const QString& path);

// Makes a new, empty folder at path; alreadyExists() when something is there.
int makeFolder(const QString& path);

// Renames from (a folder or a file) to to, which must not exist: never
// replaces anything, alreadyExists() when something holds the name.
int renameNew(const QString& from, const QString& to);

// Removes the folder at path with everything in it. A symbolic link inside
// is removed, never followed. The first error met, or 0; it goes on past
// one, to leave as little behind as it can.
int removeTree(const QString& path);

// Gets the entries of folder (renames, new files) onto the disk. A folder
// that cannot be opened for it is no error: nothing more can be done there.
int syncFolder(const QString& folder);

// Gets the contents of an open file (QFileDevice::handle()) onto the disk,
// without its times unless they are needed to read it back.
int syncData(int descriptor);

// A descriptor of its own for the open file (QFileDevice::handle()), to
// sync it (syncData) from another thread while this one goes on writing
// through the first: on Windows a second opening of the file, as one
// handle lets one request through at a time and a write would wait for the
// sync. -1 when there is none; closed with closeDescriptor.
int openToSync(int descriptor);
void closeDescriptor(int descriptor);

// Lowers the calling thread's priority for long work in the background
// (reading photos for the sample sheets): it runs on what the thread
// handling the keys leaves, yet goes on, slowly, while other programs keep
// the processors busy (an idle priority would stop it then).
void lowerThreadPriority();

// Lets the calling thread, when it wakes, wait for the processor to come
// round to it instead of taking it from the thread running there, at the
// share it had: for the journal's sync thread, which wakes at every close
// of a pupil while the thread handling the keys repaints the input screen
// (on a busy machine that thread, put aside, waited several milliseconds
// for its turn to come again).
void wakeWithoutPreempting();

// Whether the open file (QFileDevice::handle()) has been removed from every
// folder (its folder deleted, or the file itself): what is written to it
// then is lost.
bool hasNoName(int descriptor);

// The user this program runs as, as Status::owner gives it.
quint32 currentUser();

// The longest file name, in bytes, that the file system of the existing
// folder holds; 0 or less where it cannot be asked.
long longestNameIn(const QString& folder);

enum class Opened {
    Yes,
    CannotOpen,
    NotAFile,
    InUse,  // another program holds it open and lets nobody read it (Windows)
};

// Opens the file at path into file for reading when it is a regular file,
// without waiting on the way (a named pipe would wait for a writer).
Opened openRegularFile(const QString& path, QFile& file);

// Who may read a new file.
enum class NewFileAccess {
    OwnerOnly,  // the user alone
    Usual,      // whom the user's settings allow for new files (the umask)
};

enum class Lock { Taken, HeldElsewhere, Unsupported };

// A file opened here, closed when it goes. It is opened once.
class OpenFile {
public:
    OpenFile() = default;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile();

    // Creates a new file at path for writing; a symbolic link at path is an
    // error, as is anything else there (alreadyExists()).
    int createNew(const QString& path, NewFileAccess access);

    // Opens the file at path for reading, not through a symbolic link;
    // withoutWaiting, a named pipe does not wait for a writer.
    int openToRead(const QString& path, bool withoutWaiting = false);

    // Opens the file at path for reading, through symbolic links as
    // opening it anywhere else would (a photo in the photo folder that
    // links to the photographer's own copy is that copy).
    int openToReadThroughLinks(const QString& path);

    int descriptor() const { return descriptor_; }

    // What the open file is.
    int status(Status* found) const;

    // Takes the lock that no other taker gets while this file is open,
    // without waiting.
    Lock tryLock() const;

    // Reads up to size bytes: how many, 0 at the end, or -1 with *error set.
    qint64 read(char* data, qint64 size, int* error) const;

    // Writes all of data, going on after a write that took only part of it.
    int write(const char* data, qint64 size) const;

    // Gives the file the group (and, run as the superuser, the owner) and
    // then the permissions of another. A group the user does not belong to
    // cannot be given (nor can anything on a file system without owners):
    // the file then keeps what it was created with, which opens it to nobody
    // new.
    void takeAccessOf(const Status& other) const;

    // Gets the file's contents and its own details onto the disk.
    int sync() const;

    // Closes now; the error of closing (a network file system may report a
    // failed write only here), or 0.
    int close();

private:
    int descriptor_ = -1;
};

// The file-size limit's signal ignored while one lives: a write past the
// limit then fails (TooLarge) instead of ending the program.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored();
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;
    ~FileSizeSignalIgnored();

private:
    struct Previous;
    std::unique_ptr<Previous> previous_;
};

// Ignores the file-size limit's signal for the rest of the run.
void ignoreFileSizeSignal();

}  // namespace SystemFiles

#ifdef Q_OS_WIN
namespace SystemFiles::detail {

// The path as the wide-character calls take it: an absolute one of 248
// characters or more, which CreateDirectoryW refuses otherwise, in the
// "\\?\" form ("\\?\UNC\" for a share); any other as it is.
std::wstring nativePath(const QString& path);

}  // namespace SystemFiles::detail
#endif
