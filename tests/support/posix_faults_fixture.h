// SPDX-License-Identifier: MIT
#pragma once

// Real faults for the save and journal tests, which only a Linux system
// makes: a small file system mounted for the test (full, or read-only),
// work done in a child process (under a file size limit, as another user,
// or killed part way), and a file size limit for the test itself. Only the
// tests built on POSIX systems include this (see tests/CMakeLists.txt).

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

// A tmpfs of `bytes` bytes mounted over a fresh temporary folder, unmounted
// when it goes. Mounting needs the right to mount (root in a system that
// allows it): when it was refused, mounted() is false and whyNotMounted()
// says why.
class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes) : options_("size=" + QByteArray::number(bytes)) {
        if (!dir_.isValid()) {
            why_ = QStringLiteral("no temporary folder to mount on");
            return;
        }
        if (::mount("tmpfs", native().constData(), "tmpfs", 0, options_.constData()) != 0) {
            why_ = QStringLiteral("mounting a %1-byte tmpfs was refused: %2")
                       .arg(bytes)
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        mounted_ = true;
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    ~SmallFileSystem() {
        if (mounted_)
            ::umount2(native().constData(), MNT_DETACH);
    }

    bool mounted() const { return mounted_; }
    QString whyNotMounted() const { return why_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    qint64 freeBytes() const {
        struct statvfs status {};
        if (::statvfs(native().constData(), &status) != 0)
            return -1;
        return qint64(status.f_bavail) * qint64(status.f_frsize);
    }

    // Fills the file system with a file of its own until `free` bytes (a
    // whole number of pages) are left.
    bool leaveFree(qint64 free) {
        const qint64 fill = freeBytes() - free;
        if (fill < 0)
            return false;
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral("filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return false;
        const QByteArray bytes(int(fill), 'x');
        const bool written = ::write(fd, bytes.constData(), size_t(fill)) == ssize_t(fill);
        ::close(fd);
        return written && freeBytes() == free;
    }

    // Mounts the file system again, read-only, with what it holds.
    bool makeReadOnly() {
        return ::mount(nullptr, native().constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                       options_.constData()) == 0;
    }

private:
    QByteArray native() const { return QFile::encodeName(dir_.path()); }

    QTemporaryDir dir_;
    QByteArray options_;
    bool mounted_ = false;
    QString why_;
};

// A file system in an image file, mounted over a fresh temporary folder by
// the kernel and unmounted when it goes. FAT: two-second times, file
// numbers that are not the disk's own, no hard links. XFS: reflinks, files
// sharing their blocks. When it cannot be made or mounted (mounting needs
// root, and a kernel with the file system), whyNotMounted() says why.
// (fusefat is no stand-in: it refuses renames to long names.)
class DiskImage {
public:
    enum class Kind { Fat, Xfs };

    explicit DiskImage(Kind kind) {
        if (!dir_.isValid() || !image_.isValid()) {
            why_ = QStringLiteral("no temporary folder for the image");
            return;
        }
        const bool fat = kind == Kind::Fat;
        const QString image = image_.filePath(QStringLiteral("disk.img"));
        QFile file(image);
        // Sparse: XFS takes no less than 300 MiB.
        if (!file.open(QIODevice::WriteOnly) || !file.resize((fat ? 16 : 320) * 1024 * 1024)) {
            why_ = QStringLiteral("no room for the image");
            return;
        }
        file.close();
        const QString mkfs = fat ? QStringLiteral("mkfs.vfat") : QStringLiteral("mkfs.xfs");
        if (!run(mkfs, fat ? QStringList{QStringLiteral("-F"), QStringLiteral("16"), image}
                           : QStringList{QStringLiteral("-q"), image})) {
            why_ = mkfs + QStringLiteral(" could not make the image: ") + output_;
            return;
        }
        if (!run(QStringLiteral("mount"),
                 {QStringLiteral("-t"), fat ? QStringLiteral("vfat") : QStringLiteral("xfs"),
                  QStringLiteral("-o"), QStringLiteral("loop"), image, dir_.path()})) {
            why_ = QStringLiteral("the image could not be mounted: ") + output_;
            return;
        }
        mounted_ = true;
    }
    DiskImage(const DiskImage&) = delete;
    DiskImage& operator=(const DiskImage&) = delete;
    ~DiskImage() {
        if (mounted_)
            run(QStringLiteral("umount"), {QStringLiteral("-l"), dir_.path()});
    }

    bool mounted() const { return mounted_; }
    QString whyNotMounted() const { return why_; }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    QString path() const { return dir_.path(); }

private:
    bool run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool ran = process.waitForFinished(30000);
        output_ = ran ? QString::fromLocal8Bit(process.readAll()).trimmed() : process.errorString();
        return ran && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QTemporaryDir image_;
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString why_;
    QString output_;
};

// Runs work in a child process and returns its exit code, or -signal when a
// signal ended it. work must not use the QTest macros; it returns 0 for
// success and a distinct code for each check that failed.
inline int runInChild(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child < 0)
        return -1000;
    if (child == 0)
        ::_exit(work());
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
        return -WTERMSIG(status);
    return WEXITSTATUS(status);
}

// A file size limit for the process while it lives; SIGXFSZ ignored so that
// a write past it fails instead of ending the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        set_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool set() const { return set_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool set_ = false;
};
