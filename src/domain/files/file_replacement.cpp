// SPDX-License-Identifier: MIT
#include "domain/files/file_replacement.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

using SystemFiles::Kind;
using SystemFiles::OpenFile;
using SystemFiles::Status;

FileWriteOutcome failedFileWrite(FileStep step, int error, const QString& finalPath) {
    FileWriteOutcome outcome;
    outcome.step = step;
    outcome.systemError = error;
    outcome.fault = faultOfSystemError(error);
    if (outcome.fault == FileFault::None)
        outcome.fault = FileFault::Other;
    outcome.finalPath = finalPath;
    return outcome;
}

namespace {

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

QString folderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

// A temporary file's name, removed when it goes out of scope unless it was
// renamed to its final name.
class TemporaryName {
public:
    TemporaryName() = default;
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (!path_.isEmpty())
            SystemFiles::removeFile(path_);
    }

    void set(const QString& path) { path_ = path; }
    const QString& path() const { return path_; }
    void renamed() { path_.clear(); }

private:
    QString path_;
};

// Creates a new file of this program's temporary name in folder, opened in
// file; an error number, or 0.
int createTemporary(const QString& folder, SystemFiles::NewFileAccess access, TemporaryName& name,
                    OpenFile& file) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = temporaryPathIn(folder);
        const int error = file.createNew(candidate, access);
        if (error == 0) {
            // Held while the file is written: removeSaveLeftovers passes over
            // it (another run of the program saving in the same folder).
            // Where locks are not supported the file is just less guarded.
            file.tryLock();
            name.set(candidate);
            return 0;
        }
        if (error != SystemFiles::alreadyExists())
            return error;
    }
    return SystemFiles::alreadyExists();
}

// The file a chain of symbolic links at path ends at (path itself when it is
// no link); empty with *error set for a loop.
QString resolveLinks(const QString& path, int* error) {
    QString current = QFileInfo(path).absoluteFilePath();
    for (int depth = 0; depth < 40; ++depth) {
        Status status;
        if (SystemFiles::statusAt(current, &status) != 0 || status.kind != Kind::Link)
            return current;
        current = QFileInfo(current).symLinkTarget();
    }
    *error = SystemFiles::linkLoop();
    return QString();
}

// Whether target may be replaced: nothing is there, or a regular file that
// the user may write (its status in *previous). A file marked read-only is
// kept so, though the folder would let it be replaced.
FileWriteOutcome lookAtTarget(const QString& target, Status* previous) {
    if (const int error = SystemFiles::statusAt(target, previous); error != 0)
        return failedFileWrite(FileStep::Create, error, target);
    switch (previous->kind) {
        case Kind::Missing:
            return {};
        case Kind::File:
            break;
        case Kind::Folder:
            return failedFileWrite(FileStep::Create, SystemFiles::isAFolder(), target);
        case Kind::Link:
        case Kind::Other: {
            FileWriteOutcome outcome = failedFileWrite(FileStep::Create, 0, target);
            outcome.fault = FileFault::NotAFile;
            return outcome;
        }
    }
    if (const int error = SystemFiles::mayWrite(target); error != 0) {
        FileWriteOutcome outcome = failedFileWrite(FileStep::Create, error, target);
        if (outcome.fault == FileFault::NoPermission)
            outcome.fault = FileFault::FileReadOnly;
        return outcome;
    }
    return {};
}

// Whether a backup can be made at backupPath (none is wanted when it is
// empty): found out before anything is written.
FileWriteOutcome lookAtBackupName(const QString& backupPath, const QString& target) {
    if (backupPath.isEmpty())
        return {};
    Status existing;
    if (const int error = SystemFiles::statusAt(backupPath, &existing); error != 0)
        return failedFileWrite(FileStep::Backup, error, target);
    if (existing.kind == Kind::Folder)
        return failedFileWrite(FileStep::Backup, SystemFiles::isAFolder(), target);
    return {};
}

// Writes bytes to a new temporary file in target's folder, gives it the
// previous file's group and permissions (when there is a previous file) and
// gets it onto the disk.
FileWriteOutcome writeTemporary(const QString& target, const QByteArray& bytes,
                                const Status* previous, TemporaryName& temporary) {
    // A new file may be read by whom the user's umask allows; a replacement
    // stays private until it has the previous file's group and permissions.
    OpenFile file;
    int error = createTemporary(
        folderOf(target),
        previous ? SystemFiles::NewFileAccess::OwnerOnly : SystemFiles::NewFileAccess::Usual,
        temporary, file);
    if (error != 0)
        return failedFileWrite(FileStep::Create, error, target);
    if ((error = file.write(bytes.constData(), bytes.size())) != 0)
        return failedFileWrite(FileStep::Write, error, target);
    if (previous)
        file.takeAccessOf(*previous);
    if ((error = file.sync()) != 0)
        return failedFileWrite(FileStep::Sync, error, target);
    if ((error = file.close()) != 0)
        return failedFileWrite(FileStep::Sync, error, target);

    FileWriteOutcome outcome;
    outcome.finalPath = target;
    return outcome;
}

// Whether the target still holds the bytes of digest (or is gone).
FileWriteOutcome lookAgainAtTarget(const QString& target, const QByteArray& digest) {
    int error = 0;
    const QByteArray now = fileContentDigest(target, &error);
    if (error != 0)
        return failedFileWrite(FileStep::ReadPrevious, error, target);
    if (!now.isEmpty() && now != digest)
        return failedFileWrite(FileStep::TargetChanged, 0, target);
    return {};
}

// Keeps the previous file (regular, status as given) as backupPath: a second
// name for it, made under a temporary name and renamed over backupPath, so
// that whatever was at backupPath (a symbolic link too) is replaced, not
// written through, and stays whole when this fails. Where the file system
// has no second names, a copy.
FileWriteOutcome keepAsBackup(const QString& file, const Status& fileStatus,
                              const QString& backupPath) {
    FileWriteOutcome outcome;
    outcome.backupPath = backupPath;
    Status existing;
    if (SystemFiles::statusAt(backupPath, &existing) == 0 && existing.kind != Kind::Missing &&
        existing.stamp.device == fileStatus.stamp.device &&
        existing.stamp.identity == fileStatus.stamp.identity)
        return outcome;  // already the same file (a save was cut short before its last rename)

    TemporaryName link;
    int error = SystemFiles::alreadyExists();
    for (int attempt = 0; attempt < 100 && error == SystemFiles::alreadyExists(); ++attempt) {
        const QString candidate = temporaryPathIn(folderOf(backupPath));
        error = SystemFiles::makeLink(file, candidate);
        if (error == 0)
            link.set(candidate);
    }
    if (error != 0)
        return SystemFiles::linksUnsupported(error) ? copyToBackup(file, backupPath)
                                                    : failedFileWrite(FileStep::Backup, error);
    if ((error = SystemFiles::renameOver(link.path(), backupPath)) != 0)
        return failedFileWrite(FileStep::Backup, error);
    link.renamed();
    return outcome;
}

// Puts the temporary file written for written.finalPath in its place and
// gets the rename onto the disk.
FileWriteOutcome swapIn(TemporaryName& temporary, const FileWriteOutcome& written) {
    const QString& target = written.finalPath;
    if (const int error = SystemFiles::renameOver(temporary.path(), target); error != 0)
        return failedFileWrite(FileStep::Replace, error, target);
    temporary.renamed();
    if (const int error = SystemFiles::syncFolder(folderOf(target)); error != 0) {
        FileWriteOutcome notConfirmed = failedFileWrite(FileStep::ConfirmReplace, error, target);
        notConfirmed.backupPath = written.backupPath;
        return notConfirmed;
    }
    return written;
}

}  // namespace

FileWriteOutcome copyToBackup(const QString& source, const QString& backupPath) {
    const SystemFiles::FileSizeSignalIgnored fileSizeSignalIgnored;
    OpenFile in;
    int error = in.openToRead(source);
    if (error != 0)
        return failedFileWrite(FileStep::ReadPrevious, error);
    Status status;
    if ((error = in.status(&status)) != 0)
        return failedFileWrite(FileStep::ReadPrevious, error);

    TemporaryName temporary;
    OpenFile out;
    error = createTemporary(folderOf(backupPath), SystemFiles::NewFileAccess::OwnerOnly, temporary,
                            out);
    if (error != 0)
        return failedFileWrite(FileStep::Backup, error);
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(piece.data(), piece.size(), &error);
        if (got < 0)
            return failedFileWrite(FileStep::ReadPrevious, error);
        if (got == 0)
            break;
        if ((error = out.write(piece.constData(), got)) != 0)
            return failedFileWrite(FileStep::Backup, error);
    }
    out.takeAccessOf(status);
    if ((error = out.sync()) != 0)
        return failedFileWrite(FileStep::Backup, error);
    if ((error = out.close()) != 0)
        return failedFileWrite(FileStep::Backup, error);
    if ((error = SystemFiles::renameOver(temporary.path(), backupPath)) != 0)
        return failedFileWrite(FileStep::Backup, error);
    temporary.renamed();

    FileWriteOutcome outcome;
    outcome.backupPath = backupPath;
    return outcome;
}

QByteArray contentDigest(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QByteArray fileContentDigest(const QString& path, int* error) {
    int failure = 0;
    const auto done = [&](const QByteArray& digest) {
        if (error)
            *error = failure;
        return digest;
    };
    const QString target = resolveLinks(path, &failure);
    Status status;
    if (target.isEmpty() || (failure = SystemFiles::statusAt(target, &status)) != 0)
        return done({});
    if (status.kind == Kind::Missing)
        return done({});
    OpenFile file;
    if ((failure = file.openToRead(target, /*withoutWaiting=*/true)) != 0)
        return done({});
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(piece.data(), piece.size(), &failure);
        if (got < 0)
            return done({});
        if (got == 0)
            break;
        hash.addData(QByteArrayView(piece.constData(), got));
    }
    return done(hash.result());
}

FileWriteOutcome replaceFile(const QString& path, const QByteArray& bytes,
                             const QString& backupSuffix, const QByteArray& unchangedDigest) {
    const SystemFiles::FileSizeSignalIgnored fileSizeSignalIgnored;
    int error = 0;
    const QString target = resolveLinks(path, &error);
    if (target.isEmpty())
        return failedFileWrite(FileStep::Create, error);

    // Nothing written yet: what is at the target and at the backup's name
    // is looked at first.
    Status previous;
    if (FileWriteOutcome refused = lookAtTarget(target, &previous); !refused.ok())
        return refused;
    const bool hasPrevious = previous.kind == Kind::File;
    const QString backupPath =
        hasPrevious && !backupSuffix.isEmpty() ? target + backupSuffix : QString();
    if (FileWriteOutcome refused = lookAtBackupName(backupPath, target); !refused.ok())
        return refused;
    removeSaveLeftovers(folderOf(target));

    // The new contents, whole and on the disk beside the target.
    TemporaryName temporary;
    FileWriteOutcome outcome =
        writeTemporary(target, bytes, hasPrevious ? &previous : nullptr, temporary);
    if (!outcome.ok())
        return outcome;

    // The last look at the target before anything there changes: the
    // backup and the rename follow at once.
    if (hasPrevious && !unchangedDigest.isEmpty()) {
        if (FileWriteOutcome changed = lookAgainAtTarget(target, unchangedDigest); !changed.ok())
            return changed;
    }

    // The previous file kept as the backup, then the new one in its place.
    if (!backupPath.isEmpty()) {
        FileWriteOutcome backup = keepAsBackup(target, previous, backupPath);
        if (!backup.ok()) {
            backup.finalPath = target;
            return backup;
        }
        outcome.backupPath = backup.backupPath;
    }
    return swapIn(temporary, outcome);
}

int removeSaveLeftovers(const QString& folder) {
    int removed = 0;
    const quint32 user = SystemFiles::currentUser();
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
        Status status;
        if (SystemFiles::statusAt(path, &status) != 0 || status.kind != Kind::File ||
            status.owner != user)
            continue;
        OpenFile file;
        if (file.openToRead(path, /*withoutWaiting=*/true) != 0)
            continue;
        if (earlier) {
            // A job file, or the backup of one, begins with the quoted customer.
            char first = 0;
            int error = 0;
            if (file.read(&first, 1, &error) != 1 || first != '"')
                continue;
        } else if (file.tryLock() == SystemFiles::Lock::HeldElsewhere) {
            continue;  // a save that is still running holds it
        }
        if (SystemFiles::removeFile(path) == 0)
            ++removed;
    }
    return removed;
}

int longestFileName(const QString& folder) {
    QString existing = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo(existing).isDir() && QFileInfo(existing).absolutePath() != existing)
        existing = QFileInfo(existing).absolutePath();
    const long longest = SystemFiles::longestNameIn(existing);
    return longest > 0 && longest < 100000 ? int(longest) : 255;
}
