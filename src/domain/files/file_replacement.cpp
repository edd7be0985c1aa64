// SPDX-License-Identifier: MIT
#include "domain/files/file_replacement.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

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

#ifdef Q_OS_UNIX

namespace {

FileWriteOutcome failed(FileStep step, int error, const QString& finalPath = QString()) {
    FileWriteOutcome outcome;
    outcome.step = step;
    outcome.systemError = error;
    outcome.fault = faultOfSystemError(error);
    if (outcome.fault == FileFault::None)
        outcome.fault = FileFault::Other;
    outcome.finalPath = finalPath;
    return outcome;
}

// Six letters or digits for a temporary file's name.
QString randomSuffix() {
    static constexpr char kCharacters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kCharacters[QRandomGenerator::global()->bounded(62)]);
    return suffix;
}

QString temporaryPathIn(const QString& folder) {
    return folder + u'/' + kSaveTemporaryPrefix + randomSuffix();
}

// The six letters that end an earlier version's temporary file name: random
// letters have both cases, and an upper-case letter after the first (a word
// such as "backup" or "Backup" is a name someone gave the file).
bool looksRandom(QStringView letters) {
    bool lower = false;
    bool upperInside = false;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        lower = lower || letters[i].isLower();
        upperInside = upperInside || (i > 0 && letters[i].isUpper());
    }
    return lower && upperInside;
}

const QRegularExpression& currentLeftoverName() {
    static const QRegularExpression name(QStringLiteral("^\\.pictor-save-[A-Za-z0-9]{6}$"));
    return name;
}

const QRegularExpression& earlierLeftoverName() {
    static const QRegularExpression name(QStringLiteral("^.+\\.ptl(?:\\.bak)?\\.([A-Za-z]{6})$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return name;
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

// A file descriptor, closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int get() const { return fd_; }

    // Closes now; the error of close (a network file system may report a
    // failed write only here), or 0.
    int close() {
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int fd_;
};

// A temporary file's name, removed when it goes out of scope unless it was
// renamed to its final name.
class TemporaryName {
public:
    TemporaryName() = default;
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (!path_.isEmpty())
            ::unlink(nativePath(path_).constData());
    }

    void set(const QString& path) { path_ = path; }
    const QString& path() const { return path_; }
    void renamed() { path_.clear(); }

private:
    QString path_;
};

// SIGXFSZ ignored for the lifetime of the object: a write past the file
// size limit then fails with EFBIG instead of ending the program.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        installed_ = ::sigaction(SIGXFSZ, &ignore, &previous_) == 0;
    }
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;
    ~FileSizeSignalIgnored() {
        if (installed_)
            ::sigaction(SIGXFSZ, &previous_, nullptr);
    }

private:
    struct sigaction previous_ {};
    bool installed_ = false;
};

// Creates a new file of this program's temporary name in folder; the
// descriptor, or -1 with *error set.
int createTemporary(const QString& folder, mode_t mode, TemporaryName& name, int* error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = temporaryPathIn(folder);
        const int fd = ::open(nativePath(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            // Held while the file is written: removeSaveLeftovers passes over
            // it (another run of the program saving in the same folder).
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                // Locks not supported here: the file is just less guarded.
            }
            name.set(candidate);
            return fd;
        }
        if (errno != EEXIST) {
            *error = errno;
            return -1;
        }
    }
    *error = EEXIST;
    return -1;
}

// Writes all of data, going on after a write that took only part of it;
// the error of the write that failed, or 0.
int writeFully(int fd, const char* data, qint64 size) {
    constexpr qint64 kPiece = 1024 * 1024;
    for (qint64 done = 0; done < size;) {
        const ssize_t written = ::write(fd, data + done, size_t(std::min(kPiece, size - done)));
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

// Gives the new file the previous file's group (and, as root, its owner),
// then its permissions. A group the user does not belong to cannot be given
// (nor can anything on a file system without owners): the file then keeps
// the user's own group, which opens it to nobody new.
void takeOverAccess(int fd, const struct stat& previous) {
    const uid_t owner = ::geteuid() == 0 ? previous.st_uid : uid_t(-1);
    if (::fchown(fd, owner, previous.st_gid) != 0) {
        // Left as created.
    }
    if (::fchmod(fd, previous.st_mode & 0777) != 0) {
        // Left as created (0600).
    }
}

// Syncs the entries of folder (the renames) to the disk; an error number, or 0.
int syncFolder(const QString& folder) {
    Descriptor dir(::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return 0;  // a folder that may be written but not read: nothing more can be done
    if (::fsync(dir.get()) != 0 && errno != EINVAL)
        return errno;
    return 0;
}

// The file a chain of symbolic links at path ends at (path itself when it is
// no link); empty with *error set for a loop.
QString resolveLinks(const QString& path, int* error) {
    QString current = QFileInfo(path).absoluteFilePath();
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status {};
        if (::lstat(nativePath(current).constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        current = QFileInfo(current).symLinkTarget();
    }
    *error = ELOOP;
    return QString();
}

// Whether a failed hard link means the file system has none (then the
// backup is copied).
bool linksUnsupported(int error) {
    return error == EPERM || error == EXDEV || error == EMLINK || error == ENOSYS ||
           error == EOPNOTSUPP
#if defined(ENOTSUP) && ENOTSUP != EOPNOTSUPP
           || error == ENOTSUP
#endif
        ;
}

// Keeps the previous file (regular, status as given) as backupPath: a second
// name for it, made under a temporary name and renamed over backupPath, so
// that whatever was at backupPath (a symbolic link too) is replaced, not
// written through, and stays whole when this fails.
FileWriteOutcome keepAsBackup(const QString& file, const struct stat& fileStatus,
                              const QString& backupPath) {
    FileWriteOutcome outcome;
    outcome.backupPath = backupPath;
    struct stat existing {};
    if (::lstat(nativePath(backupPath).constData(), &existing) == 0 &&
        existing.st_dev == fileStatus.st_dev && existing.st_ino == fileStatus.st_ino)
        return outcome;  // already the same file (a save was cut short before its last rename)

    TemporaryName link;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const QString candidate = temporaryPathIn(QFileInfo(backupPath).absolutePath());
        if (::link(nativePath(file).constData(), nativePath(candidate).constData()) == 0) {
            link.set(candidate);
            error = 0;
        } else {
            error = errno;
        }
    }
    if (error != 0)
        return linksUnsupported(error) ? copyToBackup(file, backupPath)
                                       : failed(FileStep::Backup, error);
    if (::rename(nativePath(link.path()).constData(), nativePath(backupPath).constData()) != 0)
        return failed(FileStep::Backup, errno);
    link.renamed();
    return outcome;
}

}  // namespace

FileWriteOutcome copyToBackup(const QString& source, const QString& backupPath) {
    const FileSizeSignalIgnored ignoreFileSizeSignal;
    Descriptor in(::open(nativePath(source).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (in.get() < 0)
        return failed(FileStep::ReadPrevious, errno);
    struct stat status {};
    if (::fstat(in.get(), &status) != 0)
        return failed(FileStep::ReadPrevious, errno);

    TemporaryName temporary;
    int error = 0;
    Descriptor out(createTemporary(QFileInfo(backupPath).absolutePath(), 0600, temporary, &error));
    if (out.get() < 0)
        return failed(FileStep::Backup, error);
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in.get(), piece.data(), size_t(piece.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return failed(FileStep::ReadPrevious, errno);
        }
        if (got == 0)
            break;
        if ((error = writeFully(out.get(), piece.constData(), got)) != 0)
            return failed(FileStep::Backup, error);
    }
    takeOverAccess(out.get(), status);
    if (::fsync(out.get()) != 0)
        return failed(FileStep::Backup, errno);
    if ((error = out.close()) != 0)
        return failed(FileStep::Backup, error);
    if (::rename(nativePath(temporary.path()).constData(), nativePath(backupPath).constData()) != 0)
        return failed(FileStep::Backup, errno);
    temporary.renamed();

    FileWriteOutcome outcome;
    outcome.backupPath = backupPath;
    return outcome;
}

FileWriteOutcome replaceFile(const QString& path, const QByteArray& bytes,
                             const QString& backupSuffix) {
    const FileSizeSignalIgnored ignoreFileSizeSignal;
    int error = 0;
    const QString target = resolveLinks(path, &error);
    if (target.isEmpty())
        return failed(FileStep::Create, error);
    const QString folder = QFileInfo(target).absolutePath();
    const auto failedAt = [&target](FileStep step, int error) {
        return failed(step, error, target);
    };

    // What is at the target now: nothing, or a regular file to replace.
    struct stat previous {};
    bool hasPrevious = false;
    if (::lstat(nativePath(target).constData(), &previous) == 0) {
        if (S_ISDIR(previous.st_mode))
            return failedAt(FileStep::Create, EISDIR);
        if (!S_ISREG(previous.st_mode)) {
            FileWriteOutcome outcome = failedAt(FileStep::Create, 0);
            outcome.fault = FileFault::NotAFile;
            return outcome;
        }
        // Marked read-only: kept so, though the folder would let it be replaced.
        if (::faccessat(AT_FDCWD, nativePath(target).constData(), W_OK, AT_EACCESS) != 0) {
            if (errno != EACCES && errno != EPERM)
                return failedAt(FileStep::Create, errno);
            FileWriteOutcome outcome = failedAt(FileStep::Create, errno);
            outcome.fault = FileFault::FileReadOnly;
            return outcome;
        }
        hasPrevious = true;
    } else if (errno != ENOENT) {
        return failedAt(FileStep::Create, errno);
    }

    // A backup that cannot be made is found out before anything is written.
    const QString backupPath =
        hasPrevious && !backupSuffix.isEmpty() ? target + backupSuffix : QString();
    if (!backupPath.isEmpty()) {
        struct stat existing {};
        if (::lstat(nativePath(backupPath).constData(), &existing) == 0) {
            if (S_ISDIR(existing.st_mode))
                return failedAt(FileStep::Backup, EISDIR);
        } else if (errno != ENOENT) {
            return failedAt(FileStep::Backup, errno);
        }
    }

    removeSaveLeftovers(folder);

    // A new file may be read by whom the user's umask allows; a replacement
    // stays private until it has the previous file's group and permissions.
    TemporaryName temporary;
    Descriptor file(createTemporary(folder, hasPrevious ? 0600 : 0666, temporary, &error));
    if (file.get() < 0)
        return failedAt(FileStep::Create, error);
    if ((error = writeFully(file.get(), bytes.constData(), bytes.size())) != 0)
        return failedAt(FileStep::Write, error);
    if (hasPrevious)
        takeOverAccess(file.get(), previous);
    if (::fsync(file.get()) != 0)
        return failedAt(FileStep::Sync, errno);
    // The rename keeps the file and its time: this is what the target will be.
    const FileStamp written = fileStampOfDescriptor(file.get());
    if ((error = file.close()) != 0)
        return failedAt(FileStep::Sync, error);

    FileWriteOutcome outcome;
    outcome.finalPath = target;
    outcome.stamp = written;
    if (!backupPath.isEmpty()) {
        FileWriteOutcome backup = keepAsBackup(target, previous, backupPath);
        if (!backup.ok()) {
            backup.finalPath = target;
            return backup;
        }
        outcome.backupPath = backup.backupPath;
    }

    if (::rename(nativePath(temporary.path()).constData(), nativePath(target).constData()) != 0)
        return failedAt(FileStep::Replace, errno);
    temporary.renamed();
    if ((error = syncFolder(folder)) != 0) {
        FileWriteOutcome notConfirmed = failedAt(FileStep::ConfirmReplace, error);
        notConfirmed.backupPath = outcome.backupPath;
        return notConfirmed;
    }
    return outcome;
}

namespace {

FileStamp stampOf(const struct stat& status) {
    FileStamp stamp;
    stamp.device = quint64(status.st_dev);
    stamp.identity = quint64(status.st_ino);
    stamp.size = qint64(status.st_size);
    stamp.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return stamp;
}

}  // namespace

QDateTime FileStamp::modified() const {
    return QDateTime::fromMSecsSinceEpoch(modifiedNs / 1000000, Qt::UTC);
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

int removeSaveLeftovers(const QString& folder) {
    int removed = 0;
    const uid_t user = ::geteuid();
    QDirIterator entries(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        const QString path = entries.next();
        const QString name = entries.fileName();
        bool earlier = false;
        if (!currentLeftoverName().match(name).hasMatch()) {
            const QRegularExpressionMatch match = earlierLeftoverName().match(name);
            if (!match.hasMatch() || !looksRandom(match.capturedView(1)))
                continue;
            earlier = true;
        }
        const QByteArray native = nativePath(path);
        struct stat status {};
        if (::lstat(native.constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != user)
            continue;
        Descriptor file(::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (file.get() < 0)
            continue;
        if (earlier) {
            // A job file, or the backup of one, begins with the quoted customer.
            char first = 0;
            if (::read(file.get(), &first, 1) != 1 || first != '"')
                continue;
        } else if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            continue;  // a save that is still running holds it
        }
        if (::unlink(native.constData()) == 0)
            ++removed;
    }
    return removed;
}

int longestFileName(const QString& folder) {
    QString existing = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo(existing).isDir() && QFileInfo(existing).absolutePath() != existing)
        existing = QFileInfo(existing).absolutePath();
    const long longest = ::pathconf(nativePath(existing).constData(), _PC_NAME_MAX);
    return longest > 0 && longest < 100000 ? int(longest) : 255;
}

#else  // not Q_OS_UNIX: through QSaveFile, without the file system's finer points

namespace {

FileWriteOutcome failedWith(FileStep step, const QFileDevice& file) {
    FileWriteOutcome outcome;
    outcome.step = step;
    switch (file.error()) {
        case QFileDevice::ResourceError:
            outcome.fault = FileFault::DiskFull;
            break;
        case QFileDevice::PermissionsError:
            outcome.fault = FileFault::NoPermission;
            break;
        default:
            outcome.fault = FileFault::Other;
    }
    return outcome;
}

bool writeWhole(QSaveFile& file, const char* data, qint64 size) {
    for (qint64 done = 0; done < size;) {
        const qint64 written = file.write(data + done, size - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return file.flush();
}

}  // namespace

FileWriteOutcome copyToBackup(const QString& source, const QString& backupPath) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failedWith(FileStep::ReadPrevious, in);
    QSaveFile out(backupPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failedWith(FileStep::Backup, out);
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(piece.data(), piece.size());
        if (got < 0) {
            out.cancelWriting();
            return failedWith(FileStep::ReadPrevious, in);
        }
        if (got == 0)
            break;
        if (!writeWhole(out, piece.constData(), got)) {
            const FileWriteOutcome outcome = failedWith(FileStep::Backup, out);
            out.cancelWriting();
            return outcome;
        }
    }
    if (!out.commit())
        return failedWith(FileStep::Backup, out);
    FileWriteOutcome outcome;
    outcome.backupPath = backupPath;
    return outcome;
}

FileWriteOutcome replaceFile(const QString& path, const QByteArray& bytes,
                             const QString& backupSuffix) {
    const QFileInfo info(QFileInfo(path).absoluteFilePath());
    FileWriteOutcome outcome;
    outcome.finalPath = info.absoluteFilePath();
    if (info.isDir()) {
        outcome.step = FileStep::Create;
        outcome.fault = FileFault::IsFolder;
        return outcome;
    }
    QSaveFile file(outcome.finalPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failedWith(FileStep::Create, file);
    if (!writeWhole(file, bytes.constData(), bytes.size())) {
        const FileWriteOutcome failure = failedWith(FileStep::Write, file);
        file.cancelWriting();
        return failure;
    }
    if (info.exists() && !backupSuffix.isEmpty()) {
        const FileWriteOutcome backup =
            copyToBackup(outcome.finalPath, outcome.finalPath + backupSuffix);
        if (!backup.ok()) {
            file.cancelWriting();
            return backup;
        }
        outcome.backupPath = backup.backupPath;
    }
    if (!file.commit())
        return failedWith(FileStep::Replace, file);
    return outcome;
}

int removeSaveLeftovers(const QString&) {
    return 0;
}

int longestFileName(const QString&) {
    return 255;
}

#endif
