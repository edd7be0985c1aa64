// SPDX-License-Identifier: MIT
// The system's side of files on Linux and the other POSIX systems.
#include "domain/files/system_files.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <utility>

#include <QByteArrayList>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace {

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

FileStamp stampOf(const struct stat& status) {
    FileStamp stamp;
    stamp.device = quint64(status.st_dev);
    stamp.identity = quint64(status.st_ino);
    stamp.size = qint64(status.st_size);
    stamp.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return stamp;
}

SystemFiles::Kind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return SystemFiles::Kind::File;
    if (S_ISDIR(mode))
        return SystemFiles::Kind::Folder;
    if (S_ISLNK(mode))
        return SystemFiles::Kind::Link;
    return SystemFiles::Kind::Other;
}

SystemFiles::Status statusOf(const struct stat& status) {
    SystemFiles::Status result;
    result.kind = kindOf(status.st_mode);
    result.stamp = stampOf(status);
    result.owner = quint32(status.st_uid);
    result.group = quint32(status.st_gid);
    result.permissions = quint32(status.st_mode & 0777);
    return result;
}

}  // namespace

FileFault faultOfSystemError(int error) {
    switch (error) {
        case 0:
            return FileFault::None;
        case ENOSPC:
            return FileFault::DiskFull;
#ifdef EDQUOT
        case EDQUOT:
            return FileFault::QuotaExceeded;
#endif
        case EFBIG:
            return FileFault::TooLarge;
        case EACCES:
        case EPERM:
            return FileFault::NoPermission;
        case EROFS:
            return FileFault::ReadOnly;
        case ENAMETOOLONG:
            return FileFault::NameTooLong;
        case ENOENT:
        case ENOTDIR:
            return FileFault::FolderMissing;
        case EISDIR:
            return FileFault::IsFolder;
        case ELOOP:
            return FileFault::LinkLoop;
        case EIO:
            return FileFault::DeviceError;
        default:
            return FileFault::Other;
    }
}

FileStamp fileStamp(const QString& path) {
    struct stat status {};
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &status) != 0)
        return {};
    return stampOf(status);
}

FileStamp fileStampOfDescriptor(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return {};
    return stampOf(status);
}

namespace SystemFiles {

int alreadyExists() {
    return EEXIST;
}

int isAFolder() {
    return EISDIR;
}

int linkLoop() {
    return ELOOP;
}

bool linksUnsupported(int error) {
    return error == EPERM || error == EXDEV || error == EMLINK || error == ENOSYS ||
           error == EOPNOTSUPP
#if defined(ENOTSUP) && ENOTSUP != EOPNOTSUPP
           || error == ENOTSUP
#endif
        ;
}

int statusAt(const QString& path, Status* status) {
    struct stat found {};
    if (::lstat(nativePath(path).constData(), &found) != 0) {
        *status = Status();
        return errno == ENOENT ? 0 : errno;
    }
    *status = statusOf(found);
    return 0;
}

int mayWrite(const QString& path) {
    return ::faccessat(AT_FDCWD, nativePath(path).constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

int makeLink(const QString& existing, const QString& newName) {
    return ::link(nativePath(existing).constData(), nativePath(newName).constData()) == 0 ? 0
                                                                                          : errno;
}

int cloneFile(int fromDescriptor, int toDescriptor) {
#ifdef __linux__
    // A reflink where the file system shares blocks (Btrfs, XFS).
    if (::ioctl(toDescriptor, FICLONE, fromDescriptor) == 0)
        return 0;
    // Otherwise the kernel's own copy, which shares blocks where it can
    // (and copies on the server for a network file system).
    struct stat source {};
    if (::fstat(fromDescriptor, &source) != 0)
        return errno;
    loff_t from = 0;
    loff_t to = 0;
    while (from < source.st_size) {
        const ssize_t copied = ::copy_file_range(fromDescriptor, &from, toDescriptor, &to,
                                                 size_t(source.st_size - from), 0);
        if (copied < 0) {
            if (errno == EINTR)
                continue;
            // Refused before a byte was copied: the caller copies instead.
            return from == 0 && cloneUnsupported(errno) ? ENOTSUP : errno;
        }
        if (copied == 0)
            break;  // the file was shortened while it was copied
    }
    return 0;
#else
    Q_UNUSED(fromDescriptor);
    Q_UNUSED(toDescriptor);
    return ENOTSUP;
#endif
}

bool cloneUnsupported(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP || error == EXDEV || error == EINVAL ||
           error == ENOSYS || error == ENOTTY || error == EBADF;
}

int renameOver(const QString& from, const QString& to) {
    return ::rename(nativePath(from).constData(), nativePath(to).constData()) == 0 ? 0 : errno;
}

int removeFile(const QString& path) {
    return ::unlink(nativePath(path).constData()) == 0 ? 0 : errno;
}

int makeFolder(const QString& path) {
    return ::mkdir(nativePath(path).constData(), 0777) == 0 ? 0 : errno;
}

int renameNew(const QString& from, const QString& to) {
    const QByteArray source = nativePath(from);
    const QByteArray target = nativePath(to);
#if defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    // A file system without the call: looked at first, and a folder there
    // (which rename would take the place of when empty) is refused.
    struct stat found {};
    if (::lstat(target.constData(), &found) == 0)
        return EEXIST;
    if (::rename(source.constData(), target.constData()) == 0)
        return 0;
    return errno == ENOTEMPTY ? EEXIST : errno;
}

namespace {

// Removes name in the folder parent with what it holds, not following links.
int removeTreeAt(int parent, const char* name) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOTDIR || errno == ELOOP)
            return ::unlinkat(parent, name, 0) == 0 ? 0 : errno;
        return errno == ENOENT ? 0 : errno;
    }
    DIR* folder = ::fdopendir(fd);
    if (!folder) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    // The names first: a folder changing under readdir may skip entries.
    QByteArrayList names;
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray entryName(entry->d_name);
        if (entryName != "." && entryName != "..")
            names << entryName;
    }
    int first = 0;
    for (const QByteArray& entryName : names) {
        const int error = removeTreeAt(::dirfd(folder), entryName.constData());
        if (first == 0)
            first = error;
    }
    ::closedir(folder);
    if (::unlinkat(parent, name, AT_REMOVEDIR) != 0 && first == 0)
        first = errno;
    return first;
}

}  // namespace

int removeTree(const QString& path) {
    return removeTreeAt(AT_FDCWD, nativePath(path).constData());
}

void lowerThreadPriority() {
    // On Linux the nice value belongs to each thread: this one alone.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

void wakeWithoutPreempting() {
#ifdef SCHED_BATCH
    // Linux's batch threads take the processor from no thread on waking;
    // their nice value, and so their share, stays.
    const sched_param parameters{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &parameters);
#endif
}

int syncFolder(const QString& folder) {
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;  // a folder that may be written but not read
    const int error = ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
    ::close(fd);
    return error;
}

int syncData(int descriptor) {
    return ::fdatasync(descriptor) == 0 ? 0 : errno;
}

int openToSync(int descriptor) {
    return ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
}

void closeDescriptor(int descriptor) {
    ::close(descriptor);
}

bool hasNoName(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && status.st_nlink == 0;
}

quint32 currentUser() {
    return quint32(::geteuid());
}

long longestNameIn(const QString& folder) {
    return ::pathconf(nativePath(folder).constData(), _PC_NAME_MAX);
}

Opened openRegularFile(const QString& path, QFile& file) {
    // Opened without waiting for a writer, then looked at.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Opened::CannotOpen;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return Opened::NotAFile;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Opened::CannotOpen;
    }
    return Opened::Yes;
}

OpenFile::~OpenFile() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

int OpenFile::createNew(const QString& path, NewFileAccess access) {
    const mode_t mode = access == NewFileAccess::OwnerOnly ? 0600 : 0666;
    descriptor_ = ::open(nativePath(path).constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    return descriptor_ >= 0 ? 0 : errno;
}

int OpenFile::openToRead(const QString& path, bool withoutWaiting) {
    descriptor_ = ::open(nativePath(path).constData(),
                         O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (withoutWaiting ? O_NONBLOCK : 0));
    return descriptor_ >= 0 ? 0 : errno;
}

int OpenFile::openToReadThroughLinks(const QString& path) {
    // Without waiting for a writer, should a named pipe be there; then
    // only a file is taken.
    descriptor_ = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor_ < 0)
        return errno;
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0)
        return errno;
    if (!S_ISREG(status.st_mode))
        return S_ISDIR(status.st_mode) ? EISDIR : ENODEV;
    const int flags = ::fcntl(descriptor_, F_GETFL);
    if (flags != -1)
        ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK);
    return 0;
}

int OpenFile::status(Status* found) const {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0)
        return errno;
    *found = statusOf(status);
    return 0;
}

Lock OpenFile::tryLock() const {
    if (::flock(descriptor_, LOCK_EX | LOCK_NB) == 0)
        return Lock::Taken;
    return errno == EWOULDBLOCK ? Lock::HeldElsewhere : Lock::Unsupported;
}

qint64 OpenFile::read(char* data, qint64 size, int* error) const {
    for (;;) {
        const ssize_t got = ::read(descriptor_, data, size_t(size));
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            *error = errno;
            return -1;
        }
    }
}

int OpenFile::write(const char* data, qint64 size) const {
    constexpr qint64 kPiece = 1024 * 1024;
    for (qint64 done = 0; done < size;) {
        const ssize_t written =
            ::write(descriptor_, data + done, size_t(std::min(kPiece, size - done)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        done += written;
    }
    return 0;
}

void OpenFile::takeAccessOf(const Status& other) const {
    const uid_t owner = ::geteuid() == 0 ? uid_t(other.owner) : uid_t(-1);
    if (::fchown(descriptor_, owner, gid_t(other.group)) != 0) {
        // Left as created.
    }
    if (::fchmod(descriptor_, mode_t(other.permissions)) != 0) {
        // Left as created.
    }
}

int OpenFile::sync() const {
    return ::fsync(descriptor_) == 0 ? 0 : errno;
}

int OpenFile::close() {
    const int fd = std::exchange(descriptor_, -1);
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

struct FileSizeSignalIgnored::Previous {
    struct sigaction action {};
};

FileSizeSignalIgnored::FileSizeSignalIgnored() : previous_(std::make_unique<Previous>()) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (::sigaction(SIGXFSZ, &ignore, &previous_->action) != 0)
        previous_.reset();
}

FileSizeSignalIgnored::~FileSizeSignalIgnored() {
    if (previous_)
        ::sigaction(SIGXFSZ, &previous_->action, nullptr);
}

void ignoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace SystemFiles
