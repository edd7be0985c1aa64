// SPDX-License-Identifier: MIT
#include "domain/files/file_replacement.h"
#include "domain/files/job_file_commands.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/job/job_state.h"
#include "support/job_builder.h"
#include "support/posix_faults_fixture.h"
#include "support/save_faults_fixture.h"

#include <csignal>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

// Saving when the disk, the system or a killed process gets in the way:
// every fault here really happens (a full or read-only file system mounted
// for the test, a file size limit, another user's rights, a kill), and the
// save must either be whole on the disk or say in Japanese why it is not,
// leaving the previous file and its backup whole.
namespace {

using namespace JobFileSaveMessages;

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QByteArray jobBytes(const JobState& job) {
    return jobFileContents(job).bytes;
}

// Every name in the folder, hidden ones too.
QStringList namesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// The message without the paths it names has no Latin letters: no English
// text of the system in it.
bool onlyJapanese(QString message, const QStringList& paths) {
    for (const QString& path : paths)
        message.remove(QDir::toNativeSeparators(path));
    return !message.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

void verifyUnchanged(const JobState& job, const JobState& before) {
    QCOMPARE(job.customerName.toText(), before.customerName.toText());
    QCOMPARE(job.printCounts, before.printCounts);
    QCOMPARE(job.grandTotalPrints, before.grandTotalPrints);
    QCOMPARE(job.personCount, before.personCount);
    QCOMPARE(job.personRecords, before.personRecords);
    QCOMPARE(job.pendingEntry, before.pendingEntry);
}

struct stat statusOf(const QString& path) {
    struct stat status {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

constexpr uid_t kOtherUser = 23456;
constexpr gid_t kOtherGroup = 12345;
constexpr uid_t kNobody = 65534;

}  // namespace

class TestJobFileSaveFaults : public QObject {
    Q_OBJECT

private slots:
    void fullDisk_notClaimed_data();
    void fullDisk_notClaimed();
    void fullDisk_backupTakesNoRoom();
    void fullDisk_bufferedFileDeviceReported();
    void fullDisk_backupCopyLeavesPreviousBackup();
    void readOnlyFileSystem_toldInJapanese();
    void fileSizeLimit_reportedNotKilled_data();
    void fileSizeLimit_reportedNotKilled();
    void fileSizeLimit_signalIgnoredByTheSaveItself();
    void noPermission_toldAsSuch();
    void permissionsAndGroup_keptByFileAndBackup_data();
    void permissionsAndGroup_keptByFileAndBackup();
    void groupOfAMember_keptWithoutRoot();
    void symbolicLinks_backupNeverWritesThrough();
    void longNames_toldAsTooLong();
    void leftovers_removedOthersKept();
    void killedMidSave_fileWholeAndLeftoversCleared();
    void fatDisk_savesAgainAndSeesASameSecondRewrite();
};

void TestJobFileSaveFaults::fullDisk_notClaimed_data() {
    QTest::addColumn<int>("freeKB");
    QTest::addColumn<bool>("previousFile");  // a 6 KB job file and its backup
    for (const int kb : {0, 4, 20, 24, 28, 32})
        QTest::addRow("new file, %d KB free", kb) << kb << false;
    QTest::newRow("6 KB job file and backup, 24 KB free") << 24 << true;
}

void TestJobFileSaveFaults::fullDisk_notClaimed() {
    QFETCH(int, freeKB);
    QFETCH(bool, previousFile);
    SmallFileSystem disk(64 * 1024);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.whyNotMounted()));
    const QString path = disk.filePath(QStringLiteral("job.ptl"));
    const QByteArray previous = jobBytes(jobOfPersons(0)).left(6 * 1024);
    QStringList names{QStringLiteral("filler")};
    if (previousFile) {
        QVERIFY(writeBytes(path, previous));
        QVERIFY(writeBytes(backupPathFor(path), "older job\r\n"));
        names << QStringLiteral("job.ptl") << QStringLiteral("job.ptl.bak");
    }
    QVERIFY(disk.leaveFree(freeKB * 1024));
    const JobState job = jobOfPersons(0);
    QVERIFY(jobBytes(job).size() > 36 * 1000);  // more than fits
    const JobState before = job;

    const JobFileSaveResult result = saveJobFile(path, job);
    QVERIFY(!result.saved);
    QCOMPARE(result.fault, FileFault::DiskFull);
    QVERIFY2(result.message.contains(kWriteFailed + u'\n' + kDiskFull), qPrintable(result.message));
    QVERIFY(result.message.startsWith(QStringLiteral("データを保存できませんでした。")));
    QVERIFY(result.message.contains(kNotReplaced));
    QVERIFY2(onlyJapanese(result.message, {path}), qPrintable(result.message));
    QCOMPARE(namesIn(disk.path()), names);  // nothing half-written left
    if (previousFile) {
        QCOMPARE(bytesOf(path), previous);
        QCOMPARE(bytesOf(backupPathFor(path)), QByteArray("older job\r\n"));
    }
    verifyUnchanged(job, before);
}

void TestJobFileSaveFaults::fullDisk_backupTakesNoRoom() {
    // Room for the new file only: the previous one becomes the backup under
    // a second name, without being copied.
    SmallFileSystem disk(96 * 1024);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.whyNotMounted()));
    const QString path = disk.filePath(QStringLiteral("job.ptl"));
    const JobState first = jobOfPersons(0, QStringLiteral("一回目"));
    const JobState second = jobOfPersons(1, QStringLiteral("二回目"));
    QVERIFY(saveJobFile(path, first).saved);
    QVERIFY(disk.leaveFree(40 * 1024));
    QVERIFY(jobBytes(second).size() < 40 * 1024);

    const JobFileSaveResult result = saveJobFile(path, second);
    QVERIFY2(result.saved, qPrintable(result.message));
    QCOMPARE(result.backupPath, backupPathFor(path));
    QCOMPARE(bytesOf(path), jobBytes(second));
    QCOMPARE(bytesOf(backupPathFor(path)), jobBytes(first));
    JobState loaded;
    QVERIFY(LoadJobFile(loaded, path).complete());
    QCOMPARE(loaded.personRecords[1], second.personRecords[1]);
}

void TestJobFileSaveFaults::fullDisk_bufferedFileDeviceReported() {
    // Through a buffered QFile the last part of the job sits in the buffer
    // when the writes return; the failure comes when it is flushed.
    SmallFileSystem disk(64 * 1024);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.whyNotMounted()));
    QVERIFY(disk.leaveFree(32 * 1024));
    QFile file(disk.filePath(QStringLiteral("job.ptl")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const JobFileSaveResult result = writeJobFile(&file, jobOfPersons(0));
    QVERIFY(!result.saved);
    QCOMPARE(result.fault, FileFault::DiskFull);
    QCOMPARE(result.message, kDeviceFailed.arg(kDiskFull));
}

void TestJobFileSaveFaults::fullDisk_backupCopyLeavesPreviousBackup() {
    // Where the previous file must be copied (no hard links, as on a memory
    // card), a copy that does not fit leaves the previous backup as it was.
    SmallFileSystem disk(128 * 1024);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.whyNotMounted()));
    const QString path = disk.filePath(QStringLiteral("job.ptl"));
    const QString backup = backupPathFor(path);
    QVERIFY(writeBytes(path, jobBytes(jobOfPersons(0))));
    QVERIFY(writeBytes(backup, "older job\r\n"));
    QVERIFY(disk.leaveFree(12 * 1024));

    const FileWriteOutcome full = copyToBackup(path, backup);
    QCOMPARE(full.step, FileStep::Backup);
    QCOMPARE(full.fault, FileFault::DiskFull);
    QCOMPARE(bytesOf(backup), QByteArray("older job\r\n"));
    QCOMPARE(namesIn(disk.path()), (QStringList{QStringLiteral("filler"), QStringLiteral("job.ptl"),
                                                QStringLiteral("job.ptl.bak")}));

    QVERIFY(QFile::remove(disk.filePath(QStringLiteral("filler"))));
    const FileWriteOutcome copied = copyToBackup(path, backup);
    QVERIFY(copied.ok());
    QCOMPARE(bytesOf(backup), bytesOf(path));
    QVERIFY(statusOf(backup).st_ino != statusOf(path).st_ino);
}

void TestJobFileSaveFaults::readOnlyFileSystem_toldInJapanese() {
    SmallFileSystem disk(256 * 1024);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.whyNotMounted()));
    const QString path = disk.filePath(QStringLiteral("job.ptl"));
    QVERIFY(saveJobFile(path, jobOfPersons(0)).saved);
    const QByteArray previous = bytesOf(path);
    QVERIFY(disk.makeReadOnly());

    const JobFileSaveResult result = saveJobFile(path, jobOfPersons(2));
    QVERIFY(!result.saved);
    QCOMPARE(result.fault, FileFault::ReadOnly);
    QVERIFY2(result.message.contains(kCreateFailed + u'\n' + kReadOnly),
             qPrintable(result.message));
    QVERIFY2(onlyJapanese(result.message, {path}), qPrintable(result.message));
    QCOMPARE(bytesOf(path), previous);
}

void TestJobFileSaveFaults::fileSizeLimit_reportedNotKilled_data() {
    QTest::addColumn<bool>("previousFile");
    QTest::newRow("new file") << false;
    QTest::newRow("replacing a file with a backup") << true;
}

void TestJobFileSaveFaults::fileSizeLimit_reportedNotKilled() {
    // 70 000 bytes: past the first 64 KB and not on any boundary of it.
    QFETCH(bool, previousFile);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.ptl"));
    const QString backup = backupPathFor(path);
    if (previousFile) {
        QVERIFY(writeBytes(path, "previous job\r\n"));
        QVERIFY(writeBytes(backup, "older job\r\n"));
    }
    const JobState job = jobOfPersons(1500);
    JobFileSaveResult result;
    {
        const FileSizeLimit limit(70000);
        QVERIFY(limit.set());
        result = saveJobFile(path, job);
    }
    QVERIFY(!result.saved);
    QCOMPARE(result.fault, FileFault::TooLarge);
    QVERIFY2(result.message.contains(kWriteFailed + u'\n' + kTooLarge), qPrintable(result.message));
    if (previousFile) {
        QCOMPARE(bytesOf(path), QByteArray("previous job\r\n"));
        QCOMPARE(bytesOf(backup), QByteArray("older job\r\n"));
        QCOMPARE(namesIn(dir.path()),
                 (QStringList{QStringLiteral("job.ptl"), QStringLiteral("job.ptl.bak")}));
    } else {
        QCOMPARE(namesIn(dir.path()), QStringList());
    }

    // The backup copy too stops at the limit, leaving the older backup.
    if (previousFile) {
        QVERIFY(writeBytes(path, job.personRecords[1].toUtf8().repeated(200)));
        FileWriteOutcome copied;
        {
            const FileSizeLimit limit(70000);
            copied = copyToBackup(path, backup);
        }
        QCOMPARE(copied.step, FileStep::Backup);
        QCOMPARE(copied.fault, FileFault::TooLarge);
        QCOMPARE(bytesOf(backup), QByteArray("older job\r\n"));
        QCOMPARE(namesIn(dir.path()).size(), 2);
    }
}

void TestJobFileSaveFaults::fileSizeLimit_signalIgnoredByTheSaveItself() {
    // A process that did not ignore SIGXFSZ is not ended by a save past the
    // limit: the save ignores it while it writes.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.ptl"));
    const JobState job = jobOfPersons(1500);
    const int code = runInChild([&] {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 70000;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        const JobFileSaveResult result = saveJobFile(path, job);
        if (result.saved)
            return 11;
        if (result.fault != FileFault::TooLarge)
            return 12;
        // Still in force afterwards: the process ends at the next such write.
        return std::signal(SIGXFSZ, SIG_DFL) == SIG_DFL ? 0 : 13;
    });
    QCOMPARE(code, 0);
    QCOMPARE(namesIn(dir.path()), QStringList());
}

void TestJobFileSaveFaults::noPermission_toldAsSuch() {
    if (::geteuid() != 0)
        QSKIP("needs root to run the save as the user nobody");
    // A folder that nobody may read but not write: no new job file there.
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    const QString fresh = dir.filePath(QStringLiteral("new.ptl"));
    const JobState job = jobOfPersons(1);
    const QString expected = kCreateFailed + u'\n' + kNoPermission;
    const int code = runInChild([&] {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            return 10;
        const JobFileSaveResult result = saveJobFile(fresh, job);
        if (result.saved)
            return 11;
        if (result.fault != FileFault::NoPermission)
            return 12;
        if (!result.message.contains(expected) || !onlyJapanese(result.message, {fresh}))
            return 13;
        return 0;
    });
    QCOMPARE(code, 0);
    QCOMPARE(namesIn(dir.path()), QStringList());

    // The user's own folder, and a job file the user marked read-only.
    const QString path = dir.filePath(QStringLiteral("job.ptl"));
    QVERIFY(writeBytes(path, "previous job\r\n"));
    QVERIFY(::chown(QFile::encodeName(dir.path()).constData(), kNobody, kNobody) == 0);
    QVERIFY(::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0);
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
    const QString readOnly = kCreateFailed + u'\n' + kFileReadOnly;
    const int marked = runInChild([&] {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            return 10;
        const JobFileSaveResult result = saveJobFile(path, job);
        if (result.saved || result.fault != FileFault::FileReadOnly)
            return 11;
        return result.message.contains(readOnly) ? 0 : 12;
    });
    QCOMPARE(marked, 0);
    QCOMPARE(bytesOf(path), QByteArray("previous job\r\n"));
    QCOMPARE(namesIn(dir.path()), QStringList{QStringLiteral("job.ptl")});
}

void TestJobFileSaveFaults::permissionsAndGroup_keptByFileAndBackup_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("0600") << 0600;
    QTest::newRow("0640") << 0640;
    QTest::newRow("0664") << 0664;
}

void TestJobFileSaveFaults::permissionsAndGroup_keptByFileAndBackup() {
    if (::geteuid() != 0)
        QSKIP("needs root to give the job file another owner and group");
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.ptl"));
    const QString backup = backupPathFor(path);
    QVERIFY(saveJobFile(path, jobOfPersons(0)).saved);
    const QByteArray native = QFile::encodeName(path);
    QVERIFY(::chown(native.constData(), kOtherUser, kOtherGroup) == 0);
    QVERIFY(::chmod(native.constData(), mode_t(mode)) == 0);

    // Saved twice: the backup is then a file the first save wrote.
    for (int round = 1; round <= 2; ++round) {
        QVERIFY(saveJobFile(path, jobOfPersons(round)).saved);
        for (const QString& file : {path, backup}) {
            const struct stat status = statusOf(file);
            QCOMPARE(int(status.st_mode & 07777), mode);
            QCOMPARE(status.st_gid, kOtherGroup);
            QCOMPARE(status.st_uid, kOtherUser);
        }
    }
    QCOMPARE(bytesOf(backup), jobBytes(jobOfPersons(1)));

    // The copy made where hard links are missing keeps them as well.
    const QString copy = dir.filePath(QStringLiteral("copy.bak"));
    QVERIFY(copyToBackup(path, copy).ok());
    QCOMPARE(int(statusOf(copy).st_mode & 07777), mode);
    QCOMPARE(statusOf(copy).st_gid, kOtherGroup);

    // A new file takes the permissions the umask leaves.
    const mode_t mask = ::umask(0022);
    ::umask(mask);
    const QString fresh = dir.filePath(QStringLiteral("new.ptl"));
    QVERIFY(saveJobFile(fresh, jobOfPersons(0)).saved);
    QCOMPARE(int(statusOf(fresh).st_mode & 0777), int(0666 & ~mask));
}

void TestJobFileSaveFaults::groupOfAMember_keptWithoutRoot() {
    if (::geteuid() != 0)
        QSKIP("needs root to set up a user with a second group");
    // The operator's own group differs from the job file's, a group the
    // operator belongs to (a studio's shared folder).
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    QVERIFY(::chown(folder.constData(), kNobody, kNobody) == 0);
    const QString path = dir.filePath(QStringLiteral("job.ptl"));
    QVERIFY(writeBytes(path, "previous job\r\n"));
    const QByteArray native = QFile::encodeName(path);
    QVERIFY(::chown(native.constData(), kNobody, kOtherGroup) == 0);
    QVERIFY(::chmod(native.constData(), 0660) == 0);
    const JobState job = jobOfPersons(1);
    const int code = runInChild([&] {
        const gid_t groups[] = {kOtherGroup};
        if (::setgroups(1, groups) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            return 10;
        return saveJobFile(path, job).saved ? 0 : 11;
    });
    QCOMPARE(code, 0);
    for (const QString& file : {path, backupPathFor(path)}) {
        QCOMPARE(statusOf(file).st_gid, kOtherGroup);
        QCOMPARE(int(statusOf(file).st_mode & 07777), 0660);
    }
    QCOMPARE(bytesOf(path), jobBytes(job));
}

void TestJobFileSaveFaults::symbolicLinks_backupNeverWritesThrough() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.ptl"));
    const QString backup = backupPathFor(path);
    const QString victim = dir.filePath(QStringLiteral("other/precious.txt"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("other")));
    QVERIFY(writeBytes(victim, "someone else's file\n"));
    QVERIFY(writeBytes(path, "previous job\r\n"));
    QVERIFY(QFile::link(victim, backup));

    QVERIFY(saveJobFile(path, jobOfPersons(1)).saved);
    QCOMPARE(bytesOf(victim), QByteArray("someone else's file\n"));
    QVERIFY(S_ISREG(statusOf(backup).st_mode));
    QCOMPARE(bytesOf(backup), QByteArray("previous job\r\n"));
    QCOMPARE(bytesOf(path), jobBytes(jobOfPersons(1)));

    // A job file that is itself a link: its target is saved, the link stays,
    // and the backup lies beside the target.
    const QString target = dir.filePath(QStringLiteral("other/real.ptl"));
    const QString link = dir.filePath(QStringLiteral("link.ptl"));
    QVERIFY(writeBytes(target, "previous real job\r\n"));
    QVERIFY(QFile::link(target, link));
    const JobFileSaveResult viaLink = saveJobFile(link, jobOfPersons(2));
    QVERIFY2(viaLink.saved, qPrintable(viaLink.message));
    QVERIFY(S_ISLNK(statusOf(link).st_mode));
    QCOMPARE(bytesOf(target), jobBytes(jobOfPersons(2)));
    QCOMPARE(viaLink.backupPath, backupPathFor(target));
    QCOMPARE(bytesOf(backupPathFor(target)), QByteArray("previous real job\r\n"));
    QVERIFY(!QFileInfo::exists(backupPathFor(link)));
}

void TestJobFileSaveFaults::longNames_toldAsTooLong() {
    QTemporaryDir dir;
    // A name of 256 bytes: told as too long, not as a permission problem.
    const QString tooLong = dir.filePath(QString(84, u'運') + QStringLiteral(".ptl"));
    QCOMPARE(QFile::encodeName(QFileInfo(tooLong).fileName()).size(), 256);
    const JobFileSaveResult result = saveJobFile(tooLong, jobOfPersons(0));
    QVERIFY(!result.saved);
    QCOMPARE(result.fault, FileFault::NameTooLong);
    QVERIFY2(result.message.contains(kCreateFailed + u'\n' + kNameTooLong),
             qPrintable(result.message));
    QVERIFY(!result.message.contains(kNoPermission));
    QCOMPARE(namesIn(dir.path()), QStringList());

    // A name of 253 bytes holds the job but not its backup: the second save
    // says so and leaves the file as it was.
    const QString nearLimit = dir.filePath(QString(83, u'運') + QStringLiteral(".ptl"));
    QCOMPARE(QFile::encodeName(QFileInfo(nearLimit).fileName()).size(), 253);
    QVERIFY(saveJobFile(nearLimit, jobOfPersons(0)).saved);
    const JobFileSaveResult second = saveJobFile(nearLimit, jobOfPersons(1));
    QVERIFY(!second.saved);
    QCOMPARE(second.fault, FileFault::NameTooLong);
    QVERIFY2(second.message.contains(kNameTooLong), qPrintable(second.message));
    QVERIFY(second.message.contains(kBackupUntouched));
    QCOMPARE(bytesOf(nearLimit), jobBytes(jobOfPersons(0)));
    QCOMPARE(namesIn(dir.path()).size(), 1);
}

void TestJobFileSaveFaults::leftovers_removedOthersKept() {
    QTemporaryDir dir;
    const QByteArray job = jobBytes(jobOfPersons(0));
    const QStringList removed = {
        QStringLiteral(".pictor-save-a1B2c3"),  // this program, killed
        QStringLiteral("job.ptl.QmzKtw"),       // earlier versions, killed
        QStringLiteral("other job.ptl.bak.xYzAbC"),
    };
    QStringList kept = {
        // Names someone gave.
        QStringLiteral("job.ptl.backup"),        QStringLiteral("job.ptl.Backup"),
        QStringLiteral("job.ptl.BACKUP"),        QStringLiteral("notes.txt.QmzKtw"),
        QStringLiteral("report.ptl.AbCdEf"),      // does not begin as a job file
        QStringLiteral(".pictor-save-linked"),    // a link
        QStringLiteral(".pictor-save-folder"),    // a folder
        QStringLiteral(".pictor-save-toolong1"),  // not six characters
    };
    for (const QString& name : removed)
        QVERIFY(writeBytes(dir.filePath(name), job));
    for (const QString& name : kept) {
        if (name.endsWith(QStringLiteral("linked")))
            QVERIFY(
                QFile::link(dir.filePath(QStringLiteral("job.ptl.backup")), dir.filePath(name)));
        else if (name.endsWith(QStringLiteral("folder")))
            QVERIFY(QDir(dir.path()).mkdir(name));
        else
            QVERIFY(writeBytes(dir.filePath(name), name.startsWith(u'r') ? "%PDF" : job));
    }
    // One that a save still running in another process holds.
    const QString inUse = dir.filePath(QStringLiteral(".pictor-save-InUse1"));
    QVERIFY(writeBytes(inUse, job));
    const int held = ::open(QFile::encodeName(inUse).constData(), O_RDONLY);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
    const auto release = qScopeGuard([held] { ::close(held); });
    kept << QFileInfo(inUse).fileName();
    if (::geteuid() == 0) {  // another user's
        const QString foreign = QStringLiteral("foreign.ptl.GhIjKl");
        QVERIFY(writeBytes(dir.filePath(foreign), job));
        QVERIFY(::chown(QFile::encodeName(dir.filePath(foreign)), kOtherUser, kOtherGroup) == 0);
        kept << foreign;
    }

    const QString path = dir.filePath(QStringLiteral("job.ptl"));
    QVERIFY(saveJobFile(path, jobOfPersons(1)).saved);
    QStringList expected = kept;
    expected << QStringLiteral("job.ptl");
    expected.sort();
    QCOMPARE(namesIn(dir.path()), expected);
    for (const QString& name : kept) {
        if (!name.startsWith(QStringLiteral(".pictor")) && !name.startsWith(u'r'))
            QCOMPARE(bytesOf(dir.filePath(name)), job);
    }
}

void TestJobFileSaveFaults::killedMidSave_fileWholeAndLeftoversCleared() {
    // A child saves two jobs in turn, over and over; it is killed at random
    // moments. After every kill the job file and its backup are one of the
    // two whole jobs, and the next save clears what the kill left.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.ptl"));
    const JobState jobs[] = {jobOfPersons(1500, QStringLiteral("一")),
                             jobOfPersons(1499, QStringLiteral("二"))};
    const QByteArray bytes[] = {jobBytes(jobs[0]), jobBytes(jobs[1])};
    QVERIFY(saveJobFile(path, jobs[0]).saved);

    constexpr int kKills = 40;
    int killsLeavingLeftovers = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                saveJobFile(path, jobs[i % 2]);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(2000, 40000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFSIGNALED(status));

        const QByteArray now = bytesOf(path);
        QVERIFY2(now == bytes[0] || now == bytes[1], qPrintable(QString::number(kill)));
        const QByteArray backup = bytesOf(backupPathFor(path));
        QVERIFY(backup == bytes[0] || backup == bytes[1] || backup == "<missing>");
        const QStringList names = namesIn(dir.path());
        killsLeavingLeftovers += names.size() > 2 ? 1 : 0;
        for (const QString& name : names)
            QVERIFY2(
                name.startsWith(QStringLiteral("job.ptl")) || name.startsWith(kSaveTemporaryPrefix),
                qPrintable(name));
    }
    qInfo("%d of %d kills left a temporary file behind", killsLeavingLeftovers, kKills);

    QVERIFY(saveJobFile(path, jobs[1]).saved);
    QCOMPARE(namesIn(dir.path()),
             (QStringList{QStringLiteral("job.ptl"), QStringLiteral("job.ptl.bak")}));
    JobState loaded;
    QVERIFY(LoadJobFile(loaded, path).complete());
    QCOMPARE(loaded.customerName.toText(), QStringLiteral("二"));
}

// On FAT a rewrite of the same size within the same two seconds leaves
// every stamp as it was, and the second save of this program's own file
// must not be taken for another program's.
void TestJobFileSaveFaults::fatDisk_savesAgainAndSeesASameSecondRewrite() {
    DiskImage fat(DiskImage::Kind::Fat);
    if (!fat.mounted())
        QSKIP(qPrintable(fat.whyNotMounted()));
    const auto fileBytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QString path = fat.filePath(QStringLiteral("運動会.ptl"));
    const JobState job = jobOfPersons(3);
    KnownJobFile known;
    for (int save = 0; save < 3; ++save) {
        const JobFileSaveResult saved = saveJobFile(path, job, unchangedDigestFor(path, known));
        QVERIFY2(saved.saved, qPrintable(saved.message));
        known = {path, saved.fileDigest, jobFileDigest(job)};
    }
    QVERIFY(!changedElsewhere(path, known));

    // Another PC's save: the customer's first letter, in place.
    const FileStamp before = fileStamp(path);
    QByteArray other = fileBytes(path);
    other[1] = 'X';
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.write(other) == other.size());
    file.close();
    if (fileStamp(path) != before)
        qInfo("the rewrite changed the file's stamp here; the check does not rely on it");
    QVERIFY(changedElsewhere(path, known));
    const JobFileSaveResult refused = saveJobFile(path, job, known.fileDigest);
    QVERIFY(!refused.saved && refused.changedElsewhere);
    QCOMPARE(fileBytes(path), other);
}

QTEST_GUILESS_MAIN(TestJobFileSaveFaults)
#include "tst_job_file_save_faults.moc"
