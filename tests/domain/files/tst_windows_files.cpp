// SPDX-License-Identifier: MIT
// The job file and the journal on Windows (run under Wine here): a job file
// another program holds open, the names Windows keeps for devices, folders
// with Japanese names, a full disk, and the journal's rename of a file it
// has just written; and the file layer's own calls where Windows differs:
// links and junctions, paths near the old length limit, block cloning.
// Every fault is made to happen through the system's own calls; what Wine
// cannot make (a link, a junction, ReFS) is skipped or accepted as such.
#include "domain/files/file_replacement.h"
#include "domain/files/job_file_loader.h"
#include "domain/files/job_file_writer.h"
#include "domain/files/system_files.h"
#include "domain/journal/journal.h"
#include "domain/journal/journal_store.h"
#include "support/save_faults_fixture.h"

#include <cstring>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <windows.h>
#include <winioctl.h>

namespace {

using namespace JobFileSaveMessages;

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList namesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// A handle of the file at path held as another program holds it.
class HeldOpen {
public:
    HeldOpen(const QString& path, DWORD share)
        : handle_(::CreateFileW(
              reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
              GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    ~HeldOpen() { release(); }
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (held())
            ::CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
    }

private:
    HANDLE handle_;
};

JobState smallJob(const QString& customer) {
    return jobOfPersons(2, customer);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::wstring wide(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

bool exists(const QString& path) {
    return ::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A symbolic link at link to target; false when none was made (Wine 8's
// CreateSymbolicLinkW answers TRUE and makes nothing).
bool makeSymbolicLink(const QString& link, const QString& target, bool folder) {
    const DWORD flags =
        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
    return ::CreateSymbolicLinkW(wide(link).c_str(), wide(target).c_str(), flags) && exists(link);
}

// A junction at link to the folder target (a mount point's reparse data
// on an empty folder); false when the system makes none (Wine 8 refuses
// FSCTL_SET_REPARSE_POINT with ERROR_NOT_SUPPORTED).
bool makeJunction(const QString& link, const QString& target) {
    if (!::CreateDirectoryW(wide(link).c_str(), nullptr))
        return false;
    const std::wstring substitute = L"\\??\\" + wide(target);
    const std::wstring print = wide(target);
    const auto bytes = [](const std::wstring& text) { return WORD((text.size() + 1) * 2); };
    // ReparseTag, ReparseDataLength, Reserved; then the offsets and lengths
    // of the two names, and the names, each ended by a 0.
    std::vector<char> data(16 + bytes(substitute) + bytes(print));
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    const WORD header[6] = {
        WORD(data.size() - 8), 0, 0, WORD(bytes(substitute) - 2), bytes(substitute),
        WORD(bytes(print) - 2)};
    std::memcpy(data.data(), &tag, 4);
    std::memcpy(data.data() + 4, header, sizeof header);
    std::memcpy(data.data() + 16, substitute.c_str(), bytes(substitute));
    std::memcpy(data.data() + 16 + bytes(substitute), print.c_str(), bytes(print));
    const HANDLE folder =
        ::CreateFileW(wide(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    const bool made = folder != INVALID_HANDLE_VALUE &&
                      ::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(),
                                        DWORD(data.size()), nullptr, 0, &returned, nullptr);
    if (folder != INVALID_HANDLE_VALUE)
        ::CloseHandle(folder);
    if (!made)
        ::RemoveDirectoryW(wide(link).c_str());
    return made;
}

}  // namespace

class TestWindowsFiles : public QObject {
    Q_OBJECT

private slots:
    // Excel or a virus checker holding the job file: the save is refused
    // before anything is written, says so, and works once it lets go.
    void aFileHeldOpenIsNotReplaced_data() {
        QTest::addColumn<quint32>("share");
        QTest::newRow("shared with nobody") << quint32(0);
        QTest::newRow("shared for reading (Excel)") << quint32(FILE_SHARE_READ);
        QTest::newRow("not shared for removing") << quint32(FILE_SHARE_READ | FILE_SHARE_WRITE);
    }
    void aFileHeldOpenIsNotReplaced() {
        QFETCH(quint32, share);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("山田写真館.ptl"));
        const JobState first = smallJob(QStringLiteral("一回目"));
        const JobState second = smallJob(QStringLiteral("二回目"));
        const JobState third = smallJob(QStringLiteral("三回目"));
        QVERIFY(saveJobFile(path, first).saved);
        QVERIFY(saveJobFile(path, second).saved);
        const QByteArray onDisk = bytesOf(path);
        const QByteArray backup = bytesOf(backupPathFor(path));
        const QStringList names = namesIn(dir.path());

        HeldOpen holder(path, share);
        QVERIFY(holder.held());
        const JobFileSaveResult refused = saveJobFile(path, third);
        QVERIFY(!refused.saved);
        QCOMPARE(refused.fault, FileFault::InUse);
        QCOMPARE(refused.error, kInUse);
        QVERIFY2(refused.message.contains(kInUse), qPrintable(refused.message));
        QVERIFY(refused.message.contains(QDir::toNativeSeparators(path)));
        QVERIFY(refused.message.contains(FileWriteTexts::kTargetInUse));
        QVERIFY(refused.message.endsWith(
            QStringLiteral("そのプログラムでファイルを閉じてから、もう一度保存してください。")));
        QCOMPARE(namesIn(dir.path()), names);
        QCOMPARE(third.customerName.toText(), QStringLiteral("三回目"));

        holder.release();
        QCOMPARE(bytesOf(path), onDisk);
        QCOMPARE(bytesOf(backupPathFor(path)), backup);
        const JobFileSaveResult saved = saveJobFile(path, third);
        QVERIFY2(saved.saved, qPrintable(saved.message));
        QCOMPARE(bytesOf(path), jobFileContents(third).bytes);
        QCOMPARE(bytesOf(backupPathFor(path)), onDisk);
    }

    // A name Windows keeps for a device opens the device, whatever its
    // extension, case or the dots and blanks after it: it is neither loaded
    // nor written. Names that only look alike are files.
    void deviceNamesAreNoJobFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("device");
        for (const char* name :
             {"NUL", "nul.ptl", "Con", "con.PTL", "PRN", "aux.ptl", "COM1", "com9.ptl", "LPT1",
              "lpt9.ptl", "NUL.", "nul ", "nul .ptl", "CON...", "COM1:", "conin$", "CONOUT$.ptl"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        for (const char* name : {"COM10.ptl", "console.ptl", "nul_.ptl", "LPT0.ptl", "auxiliary"})
            QTest::newRow(name) << QString::fromLatin1(name) << false;
    }
    void deviceNamesAreNoJobFiles() {
        QFETCH(QString, name);
        QFETCH(bool, device);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const JobState job = smallJob(QStringLiteral("装置の名前"));

        const JobFileSaveResult saved = saveJobFile(path, job);
        QCOMPARE(saved.saved, !device);
        JobState loaded = smallJob(QStringLiteral("読む前"));
        const JobFileLoadResult result = LoadJobFile(loaded, path);
        if (!device) {
            QVERIFY2(result.complete(), qPrintable(result.message));
            QCOMPARE(loaded.customerName.toText(), QStringLiteral("装置の名前"));
            return;
        }
        QCOMPARE(saved.fault, FileFault::NotAFile);
        QVERIFY(saved.message.contains(kNotAFile));
        QCOMPARE(result.status, JobFileLoadResult::Status::NothingRead);
        QCOMPARE(result.reason, JobFileLoadResult::Reason::NotAFile);
        QCOMPARE(result.message, JobFileLoadMessages::kNotAFile.arg(path));
        QCOMPARE(loaded.customerName.toText(), QStringLiteral("読む前"));
        QCOMPARE(namesIn(dir.path()), QStringList());
    }

    // Folders and files with Japanese names: saved, kept as .bak, loaded.
    void japaneseFoldersAndNames() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("写真館の仕事/令和６年　運動会"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/桜ヶ丘小学校①.ptl");
        const JobState first = smallJob(QStringLiteral("桜ヶ丘小学校"));
        const JobState second = jobOfPersons(40, QStringLiteral("桜ヶ丘小学校・二回目"));

        const JobFileSaveResult none = saveJobFile(path, first);
        QVERIFY2(none.saved, qPrintable(none.message));
        QVERIFY(none.backupPath.isEmpty());
        const JobFileSaveResult kept = saveJobFile(path, second);
        QVERIFY2(kept.saved, qPrintable(kept.message));
        QCOMPARE(kept.backupPath, path + QStringLiteral(".bak"));
        QCOMPARE(namesIn(folder), QStringList({QStringLiteral("桜ヶ丘小学校①.ptl"),
                                               QStringLiteral("桜ヶ丘小学校①.ptl.bak")}));
        QCOMPARE(bytesOf(kept.backupPath), jobFileContents(first).bytes);
        QCOMPARE(kept.fileDigest, fileContentDigest(path));
        QCOMPARE(fileStamp(path).size, jobFileContents(second).bytes.size());

        for (const auto& [file, customer, persons] :
             {std::tuple(path, QStringLiteral("桜ヶ丘小学校・二回目"), 40),
              std::tuple(kept.backupPath, QStringLiteral("桜ヶ丘小学校"), 2)}) {
            JobState loaded;
            const JobFileLoadResult result = LoadJobFile(loaded, file);
            QVERIFY2(result.complete(), qPrintable(result.message));
            QCOMPARE(loaded.customerName.toText(), customer);
            QCOMPARE(loaded.personCount, persons);
            QCOMPARE(result.fileDigest, fileContentDigest(file));
        }
        // Saved again over its own save: the file is as that save left it.
        QVERIFY(saveJobFile(path, second, kept.fileDigest).saved);
    }

    // A job file another program holds open: refused with the save's words
    // for it when it may not be read, and loaded when it may.
    void aFileHeldOpenIsLoadedWhenItMayBeRead_data() {
        QTest::addColumn<quint32>("share");
        QTest::addColumn<bool>("loads");
        QTest::newRow("shared with nobody") << quint32(0) << false;
        QTest::newRow("shared for reading (Excel)") << quint32(FILE_SHARE_READ) << true;
    }
    void aFileHeldOpenIsLoadedWhenItMayBeRead() {
        QFETCH(quint32, share);
        QFETCH(bool, loads);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("山田写真館.ptl"));
        QVERIFY(saveJobFile(path, smallJob(QStringLiteral("保存済み"))).saved);
        JobState job = smallJob(QStringLiteral("読む前"));

        HeldOpen holder(path, share);
        QVERIFY(holder.held());
        const JobFileLoadResult result = LoadJobFile(job, path);
        if (loads) {
            QVERIFY2(result.complete(), qPrintable(result.message));
            QCOMPARE(job.customerName.toText(), QStringLiteral("保存済み"));
            return;
        }
        QCOMPARE(result.status, JobFileLoadResult::Status::NothingRead);
        QCOMPARE(result.reason, JobFileLoadResult::Reason::InUse);
        QVERIFY2(result.message.startsWith(JobFileLoadMessages::kCannotOpen.arg(path)),
                 qPrintable(result.message));
        QVERIFY(result.message.contains(kInUse));
        QVERIFY(result.message.endsWith(
            QStringLiteral("そのプログラムでファイルを閉じてから、もう一度開いてください。")));
        QCOMPARE(job.customerName.toText(), QStringLiteral("読む前"));

        holder.release();
        QVERIFY(LoadJobFile(job, path).complete());
        QCOMPARE(job.customerName.toText(), QStringLiteral("保存済み"));
    }

    // A tree to remove that is itself a link to a folder elsewhere (the
    // studio's originals): the link goes, the folder and its files stay.
    void aLinkedTreeGoesAloneNotWhereItLeads_data() {
        QTest::addColumn<bool>("junction");
        QTest::newRow("a folder's symbolic link") << false;
        QTest::newRow("a junction") << true;
    }
    void aLinkedTreeGoesAloneNotWhereItLeads() {
        QFETCH(bool, junction);
        QTemporaryDir dir;
        const QString originals = dir.filePath(QStringLiteral("撮影済み"));
        QVERIFY(QDir().mkpath(originals + QStringLiteral("/二組")));
        QVERIFY(writeFile(originals + QStringLiteral("/二組/0001.jpg"), "original"));
        const QString link = dir.filePath(QStringLiteral("作業用"));
        if (junction ? !makeJunction(link, originals) : !makeSymbolicLink(link, originals, true))
            QSKIP(junction ? "this system makes no junction (Wine 8 refuses "
                             "FSCTL_SET_REPARSE_POINT)"
                           : "this system makes no symbolic link (Wine 8's "
                             "CreateSymbolicLinkW makes nothing)");

        QCOMPARE(SystemFiles::removeTree(link), 0);
        QVERIFY(!exists(link));
        QCOMPARE(bytesOf(originals + QStringLiteral("/二組/0001.jpg")), QByteArray("original"));
    }

    // Paths near MAX_PATH: from 248 characters on, absolute ones take the
    // long form, which CreateDirectoryW needs there (Wine makes such a
    // folder without it, so there the form alone tells).
    void pathsFrom248CharactersTakeTheLongForm_data() {
        QTest::addColumn<QString>("start");  // empty: a folder made in the temporary one
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("form");
        const QString local = QStringLiteral("\\\\?\\");
        QTest::newRow("247 characters") << QString() << 247 << QString();
        QTest::newRow("248 characters") << QString() << 248 << local;
        QTest::newRow("259 characters") << QString() << 259 << local;
        QTest::newRow("a share's, 248 characters")
            << QStringLiteral("//写真サーバー/共有") << 248 << QStringLiteral("\\\\?\\UNC\\");
        QTest::newRow("a relative one") << QStringLiteral("作業") << 300 << QString();
    }
    void pathsFrom248CharactersTakeTheLongForm() {
        QFETCH(QString, start);
        QFETCH(int, length);
        QFETCH(QString, form);
        QTemporaryDir dir;
        const QString parent = (start.isEmpty() ? dir.path() : start) + u'/' + QString(100, u'親');
        const QString path = parent + u'/' + QString(length - parent.size() - 1, u'子');
        const QString native = QDir::toNativeSeparators(path);
        QCOMPARE(int(native.size()), length);
        const QString expected =
            form.isEmpty() ? native : form + (form.endsWith(u"UNC\\") ? native.mid(2) : native);
        QCOMPARE(QString::fromStdWString(SystemFiles::detail::nativePath(path)), expected);
        if (start.isEmpty()) {
            QVERIFY(QDir().mkpath(parent));
            QCOMPARE(SystemFiles::makeFolder(path), 0);
            QVERIFY(QFileInfo(path).isDir());
        }
    }

    // Opened as any program opens it: a file, or the file a symbolic link
    // leads to; a folder is told as one.
    void openedThroughLinks_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error");
        QTest::newRow("a file") << QStringLiteral("0001.jpg") << 0;
        QTest::newRow("a symbolic link to it") << QStringLiteral("リンク.jpg") << 0;
        QTest::newRow("a folder") << QStringLiteral("二組") << SystemFiles::isAFolder();
    }
    void openedThroughLinks() {
        QFETCH(QString, name);
        QFETCH(int, error);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("0001.jpg")), "photo"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("二組")));
        if (name == u"リンク.jpg" &&
            !makeSymbolicLink(dir.filePath(name), dir.filePath(QStringLiteral("0001.jpg")), false))
            QSKIP(
                "this system makes no symbolic link (Wine 8's CreateSymbolicLinkW makes nothing)");

        SystemFiles::OpenFile file;
        QCOMPARE(file.openToReadThroughLinks(dir.filePath(name)), error);
        if (error != 0)
            return;
        char data[16] = {};
        int readError = 0;
        QCOMPARE(file.read(data, sizeof data, &readError), qint64(5));
        QCOMPARE(QByteArray(data, 5), QByteArray("photo"));
    }

    // A clone shares the clusters of ReFS; anywhere else (Wine's disks
    // among them) the caller is told to copy, into a file still empty.
    void aCloneIsTheSourceOrTheCallerCopies() {
        QTemporaryDir dir;
        QByteArray contents;
        for (int k = 0; k < 3 * 65536 + 123; ++k)
            contents += char(k * 7 % 251);  // past the last whole cluster
        const QString from = dir.filePath(QStringLiteral("元.jpg"));
        const QString to = dir.filePath(QStringLiteral("写し.jpg"));
        QVERIFY(writeFile(from, contents));
        SystemFiles::OpenFile source;
        SystemFiles::OpenFile copy;
        QCOMPARE(source.openToRead(from), 0);
        QCOMPARE(copy.createNew(to, SystemFiles::NewFileAccess::Usual), 0);

        const int error = SystemFiles::cloneFile(source.descriptor(), copy.descriptor());
        QCOMPARE(copy.close(), 0);
        if (error != 0) {
            QVERIFY2(SystemFiles::cloneUnsupported(error), qPrintable(QString::number(error)));
            QCOMPARE(bytesOf(to), QByteArray());
            return;
        }
        QCOMPARE(bytesOf(to), contents);
    }

    // Faults the system gives for the target or its backup, as the operator
    // reads them; nothing is written.
    void faultsOfTheTarget_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("previous");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<FileFault>("fault");
        QTest::addColumn<QString>("cause");
        QTest::newRow("marked read-only") << QStringLiteral("読み取り専用.ptl") << true << true
                                          << FileFault::FileReadOnly << kFileReadOnly;
        QTest::newRow("a name longer than 255 characters")
            << QString(252, u'長') + QStringLiteral(".ptl") << false << false
            << FileFault::NameTooLong << kNameTooLong;
        QTest::newRow("a backup's name longer than 255 characters")
            << QString(251, u'a') + QStringLiteral(".ptl") << true << false
            << FileFault::NameTooLong << kNameTooLong;
    }
    void faultsOfTheTarget() {
        QFETCH(QString, name);
        QFETCH(bool, previous);
        QFETCH(bool, readOnly);
        QFETCH(FileFault, fault);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QByteArray before = "<missing>";
        if (previous) {
            QVERIFY(saveJobFile(path, smallJob(QStringLiteral("前"))).saved);
            before = bytesOf(path);
        }
        const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
        if (readOnly)
            QVERIFY(::SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_READONLY));
        const QStringList names = namesIn(dir.path());
        const JobFileSaveResult result = saveJobFile(path, smallJob(QStringLiteral("後")));
        if (readOnly)
            ::SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_NORMAL);
        QVERIFY(!result.saved);
        QCOMPARE(result.fault, fault);
        QCOMPARE(result.error, cause);
        QVERIFY2(result.message.contains(cause), qPrintable(result.message));
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(namesIn(dir.path()), names);
    }

    // Leftovers of saves: one still running (its temporary file locked)
    // is passed over, one that was killed goes.
    void leftoversOfKilledSavesGo() {
        QTemporaryDir dir;
        const QString running = dir.filePath(kSaveTemporaryPrefix + QStringLiteral("Run123"));
        const QString killed = dir.filePath(kSaveTemporaryPrefix + QStringLiteral("Dead45"));
        SystemFiles::OpenFile runningFile;
        QCOMPARE(runningFile.createNew(running, SystemFiles::NewFileAccess::OwnerOnly), 0);
        QCOMPARE(runningFile.tryLock(), SystemFiles::Lock::Taken);
        {
            SystemFiles::OpenFile killedFile;
            QCOMPARE(killedFile.createNew(killed, SystemFiles::NewFileAccess::OwnerOnly), 0);
            QCOMPARE(killedFile.write("x", 1), 0);
        }
        QCOMPARE(removeSaveLeftovers(dir.path()), 1);
        QCOMPARE(namesIn(dir.path()), QStringList({QFileInfo(running).fileName()}));
    }

    // A small disk (a tmpfs the test script mounts and gives a drive
    // letter, PICTOR_SMALL_DRIVE, S: unless set): a job file that does not
    // fit leaves the previous one whole and no temporary file behind.
    void aFullDisk() {
        const QString drive = qEnvironmentVariable("PICTOR_SMALL_DRIVE", QStringLiteral("S:"));
        const std::wstring root = (drive + u'\\').toStdWString();
        ULARGE_INTEGER total{};
        if (!::GetDiskFreeSpaceExW(root.c_str(), nullptr, &total, nullptr) ||
            total.QuadPart > 1024 * 1024)
            QSKIP(qPrintable(QStringLiteral("no small disk at %1 (Wine: mount a 128 KiB tmpfs and "
                                            "link $WINEPREFIX/dosdevices/%2 to it)")
                                 .arg(drive, drive.toLower())));
        QTemporaryDir dir(drive + QStringLiteral("/満杯-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("満杯.ptl"));
        const JobFileSaveResult small = saveJobFile(path, jobOfPersons(0));
        QVERIFY2(small.saved, qPrintable(small.message));
        const QByteArray before = bytesOf(path);
        const QStringList names = namesIn(dir.path());

        const JobFileSaveResult full = saveJobFile(path, jobOfPersons(1500));
        QVERIFY(!full.saved);
        QCOMPARE(full.fault, FileFault::DiskFull);
        QVERIFY2(full.message.contains(kDiskFull), qPrintable(full.message));
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(namesIn(dir.path()), names);
    }

    // The journal writes a new file whole, renames it over the journal and
    // goes on writing at its end; another run finds it locked, and once
    // this run ends, offers it and goes on with it.
    void theJournalIsRenamedAndGoesOn() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("ピクトル"));
        const JobState job = smallJob(QStringLiteral("入力記録"));
        const QVector<JournalEntry> keyed = {{JournalEntry::Kind::KeyPress, '1'},
                                             {JournalEntry::Kind::KeyPress, '/'},
                                             {JournalEntry::Kind::KeyPress, '2'},
                                             {JournalEntry::Kind::KeyPress, '='}};
        QString path;
        {
            JournalStore store(folder);
            path = store.claim();
            QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("run-0.journal"));
            JournalWriter writer;
            writer.setPath(path);
            QVERIFY(writer.begin(job));
            QVERIFY(writer.begin(job));  // afresh over the open journal
            for (const JournalEntry& entry : keyed)
                writer.record(entry, job);
            QVERIFY(!writer.failed());
            QCOMPARE(namesIn(folder),
                     QStringList({QStringLiteral("run-0.journal"), QStringLiteral("run-0.lock")}));

            JournalStore other(folder);
            QVERIFY(!other.scan().restorable);
            QCOMPARE(QFileInfo(other.claim()).fileName(), QStringLiteral("run-1.journal"));
            writer.finish();
        }
        JournalStore next(folder);
        JournalStore::Scan scan = next.scan();
        QVERIFY(scan.restorable);
        QCOMPARE(scan.restorable->path, path);
        QCOMPARE(scan.restorable->contents.entries, keyed);
        QVERIFY(scan.restorable->contents.unsaved);

        JournalWriter resumed;
        resumed.setPath(next.claim(scan.restorable->slot));
        QVERIFY(resumed.resume(scan.restorable->contents));
        resumed.record({JournalEntry::Kind::KeyPress, '3'}, job);
        resumed.markSaved(true);
        QVERIFY(!resumed.failed());
        const std::optional<JournalContents> read = readJournalFile(path);
        QVERIFY(read);
        QCOMPARE(read->entries.size(), keyed.size() + 2);
        QCOMPARE(read->entries[keyed.size()], JournalEntry(JournalEntry::Kind::KeyPress, '3'));
        QVERIFY(!read->unsaved);
        resumed.finish();
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestWindowsFiles)
#include "tst_windows_files.moc"
