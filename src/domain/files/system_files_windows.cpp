// SPDX-License-Identifier: MIT
// The system's side of files on Windows: the wide-character calls, so that
// any name the user gives (Japanese ones too) reaches the file system as it
// is.
//
// An error here is the system's number (GetLastError). A descriptor is the C
// library's (_open_osfhandle), as QFileDevice::handle() gives it on Windows;
// the calls themselves go to the handle beneath it.
#include "domain/files/system_files.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include <QDir>

#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <windows.h>
#include <winioctl.h>

namespace SystemFiles::detail {

// From this length on a path is given the "\\?\" form. CreateDirectoryW
// takes no more than MAX_PATH less the 12 characters of an 8.3 name, which
// the folder must leave room for; every other call takes up to MAX_PATH.
constexpr qsizetype kLongFormFrom = MAX_PATH - 12;

// Absolute paths from kLongFormFrom characters on in the "\\?\" form, which
// the system takes up to 32767 characters long (as QFile does); any other as
// the user gave it.
std::wstring nativePath(const QString& path) {
    QString native = QDir::toNativeSeparators(path);
    if (native.size() >= kLongFormFrom && !native.startsWith(u"\\\\?\\") &&
        !native.startsWith(u"\\\\.\\")) {
        native = QDir::toNativeSeparators(QDir::cleanPath(path));
        if (native.startsWith(u"\\\\"))
            native = QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
        else if (native.size() > 2 && native[1] == u':' && native[2] == u'\\')
            native = QStringLiteral("\\\\?\\") + native;
    }
    return native.toStdWString();
}

}  // namespace SystemFiles::detail

namespace {

using SystemFiles::detail::nativePath;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack. NTFS's own quotas
// answer with ERROR_DISK_FULL.
constexpr DWORD kDiskQuotaExceeded = 1295;

// Block cloning, which MinGW's headers lack: the volume's flag
// (FILE_SUPPORTS_BLOCK_REFCOUNTING), the request that makes a range of one
// file share the clusters of another (FSCTL_DUPLICATE_EXTENTS_TO_FILE, with
// DUPLICATE_EXTENTS_DATA), and the one that tells a file's integrity
// streams and the volume's cluster size (FSCTL_GET_INTEGRITY_INFORMATION,
// answered with FSCTL_GET_INTEGRITY_INFORMATION_BUFFER).
constexpr DWORD kSupportsBlockRefcounting = 0x08000000;
constexpr DWORD kDuplicateExtentsToFile =
    CTL_CODE(FILE_DEVICE_FILE_SYSTEM, 209, METHOD_BUFFERED, FILE_WRITE_DATA);
constexpr DWORD kGetIntegrityInformation =
    CTL_CODE(FILE_DEVICE_FILE_SYSTEM, 159, METHOD_BUFFERED, FILE_ANY_ACCESS);
struct DuplicateExtentsData {
    HANDLE fileHandle;
    LARGE_INTEGER sourceFileOffset;
    LARGE_INTEGER targetFileOffset;
    LARGE_INTEGER byteCount;
};
struct IntegrityInformation {
    WORD checksumAlgorithm;
    WORD reserved;
    DWORD flags;
    DWORD checksumChunkSizeInBytes;
    DWORD clusterSizeInBytes;
};

// Whether the last name of path is one the system keeps for a device (CON,
// NUL, COM1 and the rest): with or without an extension, in any case and
// with dots, blanks or a colon after it ("nul.ptl", "Con ", "COM1:"), it
// opens the device, not a file.
bool isDeviceName(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(u"\\\\.\\"))
        return true;  // a device's own path
    QString name = native.mid(native.lastIndexOf(u'\\') + 1);
    if (name.size() >= 2 && name[1] == u':')
        name = name.mid(2);                // "C:NUL"
    name = name.left(name.indexOf(u':'));  // "COM1:", or a stream of a file
    name = name.left(name.indexOf(u'.'));  // the extension does not count
    while (name.endsWith(u' '))
        name.chop(1);
    name = name.toUpper();
    static const std::array<QStringView, 6> kNames = {u"CON", u"PRN",    u"AUX",
                                                      u"NUL", u"CONIN$", u"CONOUT$"};
    if (std::find(kNames.begin(), kNames.end(), QStringView(name)) != kNames.end())
        return true;
    if (name.size() != 4 || !(name.startsWith(u"COM") || name.startsWith(u"LPT")))
        return false;
    // COM1 to COM9 and LPT1 to LPT9; the superscript digits count as well.
    const char16_t digit = name[3].unicode();
    return (digit >= u'1' && digit <= u'9') || digit == u'\u00b9' || digit == u'\u00b2' ||
           digit == u'\u00b3';
}

// Whether the last name of path is longer than the 255 characters NTFS,
// FAT and exFAT hold. The system answers such a name with
// ERROR_INVALID_NAME, as it does a name with a character no file name may
// have; and Wine cuts it short instead.
bool lastNameTooLong(const QString& path) {
    constexpr qsizetype kLongestName = 255;
    const QString native = QDir::toNativeSeparators(path);
    return native.size() - (native.lastIndexOf(u'\\') + 1) > kLongestName;
}

// Whether a folder (or a link to one) is at path: such a name opens only
// with FILE_FLAG_BACKUP_SEMANTICS, and fails otherwise as if it were
// refused.
bool isFolderAt(const QString& path) {
    const DWORD attributes = ::GetFileAttributesW(nativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A failure the system gave no number for.
constexpr int kUnknownError = int(ERROR_UNIDENTIFIED_ERROR);

// The last error, the same number whichever call found a name that exists.
int lastError() {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS)
        return int(ERROR_FILE_EXISTS);
    return error == ERROR_SUCCESS ? kUnknownError : int(error);
}

HANDLE handleOf(int descriptor) {
    // The C library ends the program on a descriptor that was never open.
    if (descriptor < 0)
        return INVALID_HANDLE_VALUE;
    return reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
}

// A handle closed when it goes, unless given to a descriptor.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid())
            ::CloseHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

    // The handle as a C library descriptor, which closes it from then on;
    // -1 with the error set when there is no descriptor left.
    int toDescriptor(int flags, int* error) {
        const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle_), flags);
        if (descriptor < 0) {
            *error = int(ERROR_TOO_MANY_OPEN_FILES);
            return -1;
        }
        handle_ = INVALID_HANDLE_VALUE;
        return descriptor;
    }

private:
    HANDLE handle_;
};

Handle openHandle(const QString& path, DWORD access, DWORD disposition, DWORD flags) {
    return Handle(::CreateFileW(nativePath(path).c_str(), access, kShareAll, nullptr, disposition,
                                flags, nullptr));
}

qint64 nsSince1970(const FILETIME& time) {
    // A FILETIME counts 100 ns since 1601 (UTC).
    constexpr qint64 k1601To1970 = 116444736000000000;
    const qint64 ticks = qint64((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return (ticks - k1601To1970) * 100;
}

FileStamp stampOf(const BY_HANDLE_FILE_INFORMATION& information) {
    FileStamp stamp;
    stamp.device = information.dwVolumeSerialNumber;
    stamp.identity = (quint64(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    stamp.size = qint64((quint64(information.nFileSizeHigh) << 32) | information.nFileSizeLow);
    stamp.modifiedNs = nsSince1970(information.ftLastWriteTime);
    return stamp;
}

// Whether the reparse point of an open handle is a symbolic link. The other
// kinds (a folder's mount point, a file kept in the cloud) are what they
// hold.
bool isSymbolicLink(HANDLE handle, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
           tag.ReparseTag == IO_REPARSE_TAG_SYMLINK;
}

// What an open handle is. Windows gives files no user and group numbers:
// both are 0 (see currentUser), and the permissions say only whether the
// file is marked read-only.
int statusOfHandle(HANDLE handle, SystemFiles::Status* found) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle, &information))
        return lastError();
    SystemFiles::Status status;
    status.stamp = stampOf(information);
    if (isSymbolicLink(handle, information.dwFileAttributes))
        status.kind = SystemFiles::Kind::Link;
    else if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        status.kind = SystemFiles::Kind::Folder;
    else if (::GetFileType(handle) == FILE_TYPE_DISK)
        status.kind = SystemFiles::Kind::File;
    else
        status.kind = SystemFiles::Kind::Other;
    status.permissions = information.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? 0444 : 0666;
    *found = status;
    return 0;
}

FileStamp stampOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &information))
        return {};
    return stampOf(information);
}

}  // namespace

FileFault faultOfSystemError(int error) {
    switch (DWORD(error)) {
        case ERROR_SUCCESS:
            return FileFault::None;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileFault::DiskFull;
        case kDiskQuotaExceeded:
            return FileFault::QuotaExceeded;
        case ERROR_FILE_TOO_LARGE:
            return FileFault::TooLarge;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
            return FileFault::NoPermission;
        case ERROR_WRITE_PROTECT:
            return FileFault::ReadOnly;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW:
            return FileFault::NameTooLong;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return FileFault::FolderMissing;
        case ERROR_DIRECTORY:
            return FileFault::IsFolder;
        case ERROR_CANT_RESOLVE_FILENAME:
            return FileFault::LinkLoop;
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
            return FileFault::DeviceError;
        // Another program (Excel, a virus checker) has the file open and
        // shares it with nobody who writes or removes it, or has locked it.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return FileFault::InUse;
        default:
            return FileFault::Other;
    }
}

FileStamp fileStamp(const QString& path) {
    if (path.isEmpty() || isDeviceName(path))
        return {};
    // Opened for its attributes alone, which another program holding the
    // file open does not prevent; a folder needs the backup flag.
    const Handle handle =
        openHandle(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    return stampOfHandle(handle.get());
}

FileStamp fileStampOfDescriptor(int descriptor) {
    return stampOfHandle(handleOf(descriptor));
}

namespace SystemFiles {

int alreadyExists() {
    return int(ERROR_FILE_EXISTS);
}

int isAFolder() {
    return int(ERROR_DIRECTORY);
}

int linkLoop() {
    return int(ERROR_CANT_RESOLVE_FILENAME);
}

bool linksUnsupported(int error) {
    // FAT and exFAT answer a hard link with ERROR_INVALID_FUNCTION, many
    // network shares with ERROR_NOT_SUPPORTED.
    switch (DWORD(error)) {
        case ERROR_INVALID_FUNCTION:
        case ERROR_NOT_SUPPORTED:
        case ERROR_CALL_NOT_IMPLEMENTED:
        case ERROR_NOT_SAME_DEVICE:
        case ERROR_TOO_MANY_LINKS:
            return true;
        default:
            return false;
    }
}

int statusAt(const QString& path, Status* status) {
    *status = Status();
    if (lastNameTooLong(path))
        return int(ERROR_FILENAME_EXCED_RANGE);
    if (isDeviceName(path)) {
        status->kind = Kind::Other;
        return 0;
    }
    const Handle handle = openHandle(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    if (!handle.valid()) {
        // A folder on the way missing is nothing there too, as on Linux.
        const int error = lastError();
        return error == int(ERROR_FILE_NOT_FOUND) || error == int(ERROR_PATH_NOT_FOUND) ? 0 : error;
    }
    return statusOfHandle(handle.get(), status);
}

int mayWrite(const QString& path) {
    // Opened for writing and for removing, as replacing it takes, and closed
    // again: refused for a file marked read-only or one the user's rights do
    // not let be written, and for a file another program holds open without
    // letting it be written or removed (ERROR_SHARING_VIOLATION), which
    // could not be replaced either. Nothing has been written then.
    // The read-only mark is looked at first: it keeps even an
    // administrator from writing the file, but Wine run as root lets one.
    const DWORD attributes = ::GetFileAttributesW(nativePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return int(ERROR_ACCESS_DENIED);
    const Handle handle =
        openHandle(path, FILE_WRITE_DATA | DELETE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return handle.valid() ? 0 : lastError();
}

int makeLink(const QString& existing, const QString& newName) {
    return ::CreateHardLinkW(nativePath(newName).c_str(), nativePath(existing).c_str(), nullptr)
               ? 0
               : lastError();
}

int cloneFile(int fromDescriptor, int toDescriptor) {
    const HANDLE from = handleOf(fromDescriptor);
    const HANDLE to = handleOf(toDescriptor);
    if (from == INVALID_HANDLE_VALUE || to == INVALID_HANDLE_VALUE)
        return int(ERROR_INVALID_HANDLE);
    // Only a volume whose clusters several files may share (ReFS) clones,
    // and only between two files on it.
    DWORD fromVolume = 0;
    DWORD toVolume = 0;
    DWORD flags = 0;
    if (!::GetVolumeInformationByHandleW(from, nullptr, 0, &fromVolume, nullptr, nullptr, nullptr,
                                         0) ||
        !::GetVolumeInformationByHandleW(to, nullptr, 0, &toVolume, nullptr, &flags, nullptr, 0) ||
        !(flags & kSupportsBlockRefcounting))
        return int(ERROR_NOT_SUPPORTED);
    if (fromVolume != toVolume)
        return int(ERROR_NOT_SAME_DEVICE);
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(from, FileStandardInfo, &standard, sizeof standard) ||
        !::GetFileInformationByHandleEx(from, FileBasicInfo, &basic, sizeof basic))
        return lastError();
    const qint64 size = standard.EndOfFile.QuadPart;
    if (size == 0)
        return 0;
    // Both files keep checksums of their contents (integrity streams), or
    // neither does. The ranges begin and end on the volume's clusters.
    IntegrityInformation source{};
    IntegrityInformation target{};
    DWORD returned = 0;
    if (!::DeviceIoControl(from, kGetIntegrityInformation, nullptr, 0, &source, sizeof source,
                           &returned, nullptr) ||
        !::DeviceIoControl(to, kGetIntegrityInformation, nullptr, 0, &target, sizeof target,
                           &returned, nullptr))
        return lastError();
    // Each request under 4 GB: a multiple of any cluster ReFS has (4 or 64 KB).
    constexpr qint64 kPiece = qint64(1) << 30;
    const qint64 cluster = source.clusterSizeInBytes;
    if (source.checksumAlgorithm != target.checksumAlgorithm || cluster <= 0 ||
        (cluster & (cluster - 1)) != 0 || cluster > kPiece)
        return int(ERROR_NOT_SUPPORTED);
    // A sparse file's clusters go only into a sparse file.
    if ((basic.FileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) &&
        !::DeviceIoControl(to, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr))
        return lastError();
    // The clusters go only within the file's end: it is made as long as the
    // source first. The last cluster is taken whole, past the end of both.
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    if (!::SetFileInformationByHandle(to, FileEndOfFileInfo, &end, sizeof end))
        return lastError();
    const qint64 clusters = (size + cluster - 1) / cluster * cluster;
    for (qint64 at = 0; at < clusters; at += kPiece) {
        DuplicateExtentsData range{};
        range.fileHandle = from;
        range.sourceFileOffset.QuadPart = at;
        range.targetFileOffset.QuadPart = at;
        range.byteCount.QuadPart = std::min(kPiece, clusters - at);
        if (!::DeviceIoControl(to, kDuplicateExtentsToFile, &range, sizeof range, nullptr, 0,
                               &returned, nullptr)) {
            // Empty again, for the caller to copy into.
            const int error = lastError();
            FILE_END_OF_FILE_INFO empty{};
            ::SetFileInformationByHandle(to, FileEndOfFileInfo, &empty, sizeof empty);
            return error;
        }
    }
    return 0;
}

bool cloneUnsupported(int error) {
    // A volume other than ReFS, or one that does not share clusters, answers
    // ERROR_INVALID_FUNCTION or ERROR_NOT_SUPPORTED (cloneFile's own
    // answer too); a source on another volume, ERROR_INVALID_PARAMETER.
    switch (DWORD(error)) {
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
        case ERROR_INVALID_PARAMETER:
        case ERROR_NOT_SAME_DEVICE:
        case ERROR_CALL_NOT_IMPLEMENTED:
            return true;
        default:
            return false;
    }
}

int renameOver(const QString& from, const QString& to) {
    // Through to the disk before it returns: the rename is as sure as a
    // folder's fsync makes it on Linux. A virus checker or the search
    // indexer opens a file just written for a moment: the rename waits a
    // little for it to let go.
    const std::wstring source = nativePath(from);
    const std::wstring target = nativePath(to);
    constexpr int kTries = 20;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        const int error = lastError();
        if (attempt == kTries || faultOfSystemError(error) != FileFault::InUse)
            return error;
        ::Sleep(50);
    }
}

int removeFile(const QString& path) {
    return ::DeleteFileW(nativePath(path).c_str()) ? 0 : lastError();
}

int makeFolder(const QString& path) {
    return ::CreateDirectoryW(nativePath(path).c_str(), nullptr) ? 0 : lastError();
}

int renameNew(const QString& from, const QString& to) {
    // Without MOVEFILE_REPLACE_EXISTING nothing at to is replaced. A virus
    // checker holding a file just written is waited for, as renameOver does.
    const std::wstring source = nativePath(from);
    const std::wstring target = nativePath(to);
    constexpr int kTries = 20;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
            return 0;
        const int error = lastError();
        if (attempt == kTries || faultOfSystemError(error) != FileFault::InUse)
            return error;
        ::Sleep(50);
    }
}

namespace {

int removeTreeAt(const QString& path);

// Removes the entry at path, whose attributes (GetFileAttributesW,
// FindFirstFileW) are those of the entry itself, a link's own and not its
// target's. A reparse point is never gone into: a symbolic link or a
// junction leads to a folder elsewhere, whose entries are not this tree's.
// RemoveDirectoryW removes the folder's link or junction alone, and
// DeleteFileW a file's symbolic link.
int removeEntry(const QString& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(nativePath(path).c_str(),
                             attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return removeTreeAt(path);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ::RemoveDirectoryW(nativePath(path).c_str()) ? 0 : lastError();
    return ::DeleteFileW(nativePath(path).c_str()) ? 0 : lastError();
}

// Removes the folder at path and everything in it.
int removeTreeAt(const QString& path) {
    int first = 0;
    const auto keep = [&first](int error) {
        if (first == 0)
            first = error;
    };
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(nativePath(path + QStringLiteral("/*")).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const QString name = QString::fromWCharArray(found.cFileName);
            if (name != u"." && name != u"..")
                keep(removeEntry(path + u'/' + name, found.dwFileAttributes));
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
        keep(lastError());
    }
    if (!::RemoveDirectoryW(nativePath(path).c_str()))
        keep(lastError());
    return first;
}

}  // namespace

int removeTree(const QString& path) {
    // path itself may be a link or a junction too: then it alone goes, as
    // on Linux, where the folder is opened without following a link.
    const DWORD attributes = ::GetFileAttributesW(nativePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return removeTreeAt(path);  // which tells why
    return removeEntry(path, attributes);
}

void lowerThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

void wakeWithoutPreempting() {
    // Windows raises a thread's priority for a moment when what it waited
    // for comes, which lets it take the processor from the keys' thread.
    SetThreadPriorityBoost(GetCurrentThread(), TRUE);
}

int syncFolder(const QString&) {
    // Nothing to do: NTFS keeps its folders' entries in its own journal,
    // and renameOver has written the rename through already. Windows has no
    // call that gets a folder onto the disk.
    return 0;
}

int syncData(int descriptor) {
    // Windows has no call for the contents alone: the file's details go too.
    return ::FlushFileBuffers(handleOf(descriptor)) ? 0 : lastError();
}

int openToSync(int descriptor) {
    // A file object of its own: requests through one handle of a file
    // opened without overlapping wait for each other.
    Handle handle(::ReOpenFile(handleOf(descriptor), GENERIC_WRITE, kShareAll, 0));
    int error = 0;
    return handle.valid() ? handle.toDescriptor(0, &error) : -1;
}

void closeDescriptor(int descriptor) {
    ::_close(descriptor);
}

bool hasNoName(int descriptor) {
    FILE_STANDARD_INFO information{};
    return ::GetFileInformationByHandleEx(handleOf(descriptor), FileStandardInfo, &information,
                                          sizeof information) &&
           (information.DeletePending || information.NumberOfLinks == 0);
}

quint32 currentUser() {
    // Windows gives no user numbers: every file counts as the user's, as
    // statusAt has it, and its rights decide what may be done with it. So
    // removeSaveLeftovers looks at the leftovers of every user in a job
    // folder shared by several computers, and passes over a save still
    // running by the lock it holds (LockFileEx, which a network share
    // keeps for every computer); what a save that was killed left, whoever
    // ran it, goes where the user may remove it. The journals lie in the
    // user's own data folder (%LOCALAPPDATA%), and their locks, not owners,
    // tell the runs apart.
    return 0;
}

long longestNameIn(const QString& folder) {
    // The system gives the longest name in UTF-16 characters (255 on NTFS,
    // FAT and exFAT), never fewer than its bytes in UTF-8 would be: taken as
    // bytes it is on the safe side.
    std::array<wchar_t, MAX_PATH + 1> root{};
    if (!::GetVolumePathNameW(nativePath(folder).c_str(), root.data(), DWORD(root.size())))
        return -1;
    DWORD longest = 0;
    if (!::GetVolumeInformationW(root.data(), nullptr, 0, nullptr, &longest, nullptr, nullptr, 0))
        return -1;
    return long(longest);
}

Opened openRegularFile(const QString& path, QFile& file) {
    // A device's name opens the device, which may wait (a serial port) or
    // never end (NUL reads as empty, CON waits for the keyboard).
    if (isDeviceName(path))
        return Opened::NotAFile;
    Handle handle = openHandle(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!handle.valid()) {
        // A folder is refused as a file would not be; a file another
        // program holds open without letting it be read is told apart.
        const int error = lastError();
        if (isFolderAt(path))
            return Opened::NotAFile;
        return faultOfSystemError(error) == FileFault::InUse ? Opened::InUse : Opened::CannotOpen;
    }
    Status status;
    if (statusOfHandle(handle.get(), &status) != 0 || status.kind != Kind::File)
        return Opened::NotAFile;
    int error = 0;
    const int descriptor = handle.toDescriptor(_O_RDONLY | _O_NOINHERIT, &error);
    if (descriptor < 0)
        return Opened::CannotOpen;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::_close(descriptor);
        return Opened::CannotOpen;
    }
    return Opened::Yes;
}

OpenFile::~OpenFile() {
    if (descriptor_ >= 0)
        ::_close(descriptor_);
}

int OpenFile::createNew(const QString& path, NewFileAccess) {
    // Who may read the file: what its folder passes on to new files, on
    // Windows as on the file it replaces (the access asked for does not
    // change it). A file given its own rights here would keep them after
    // the rename, which takes no rights from the folder.
    // Its attributes are read for its stamp; a symbolic link at path is a
    // name that exists.
    Handle handle = openHandle(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
    if (!handle.valid())
        return lastError();
    int error = 0;
    descriptor_ = handle.toDescriptor(_O_NOINHERIT, &error);
    return error;
}

int OpenFile::openToRead(const QString& path, bool) {
    // Nothing on Windows waits at opening (a busy pipe is an error), so
    // withoutWaiting changes nothing. A symbolic link is refused as on
    // Linux; any other reparse point (a file kept in the cloud) is opened
    // for what it holds.
    if (isDeviceName(path))
        return int(ERROR_INVALID_NAME);
    Handle handle = openHandle(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!handle.valid())
        return lastError();
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle.get(), &information))
        return lastError();
    if (isSymbolicLink(handle.get(), information.dwFileAttributes))
        return linkLoop();
    int error = 0;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        Handle through = openHandle(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
        if (!through.valid())
            return lastError();
        descriptor_ = through.toDescriptor(_O_RDONLY | _O_NOINHERIT, &error);
        return error;
    }
    descriptor_ = handle.toDescriptor(_O_RDONLY | _O_NOINHERIT, &error);
    return error;
}

int OpenFile::openToReadThroughLinks(const QString& path) {
    // Without FILE_FLAG_OPEN_REPARSE_POINT: a symbolic link or a junction on
    // the way leads to its target, and a file kept in the cloud is fetched.
    // A device's name would open the device.
    if (isDeviceName(path))
        return int(ERROR_INVALID_NAME);
    Handle handle = openHandle(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!handle.valid()) {
        const int error = lastError();
        return isFolderAt(path) ? isAFolder() : error;
    }
    Status found;
    if (const int error = statusOfHandle(handle.get(), &found); error != 0)
        return error;
    if (found.kind != Kind::File)
        return found.kind == Kind::Folder ? isAFolder() : int(ERROR_INVALID_NAME);
    int error = 0;
    descriptor_ = handle.toDescriptor(_O_RDONLY | _O_NOINHERIT, &error);
    return error;
}

int OpenFile::status(Status* found) const {
    const HANDLE handle = handleOf(descriptor_);
    if (handle == INVALID_HANDLE_VALUE)
        return int(ERROR_INVALID_HANDLE);
    return statusOfHandle(handle, found);
}

Lock OpenFile::tryLock() const {
    // One byte far past any job file's end: the lock is Windows' own, which
    // keeps others from that byte alone, so the file is still read as usual
    // by whoever else opens it.
    OVERLAPPED where{};
    where.Offset = 0;
    where.OffsetHigh = 0x40000000;
    if (::LockFileEx(handleOf(descriptor_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                     1, 0, &where))
        return Lock::Taken;
    const DWORD error = ::GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION ? Lock::HeldElsewhere
                                                                             : Lock::Unsupported;
}

qint64 OpenFile::read(char* data, qint64 size, int* error) const {
    DWORD got = 0;
    const DWORD wanted = DWORD(std::min<qint64>(size, 1 << 30));
    if (!::ReadFile(handleOf(descriptor_), data, wanted, &got, nullptr)) {
        const DWORD failure = ::GetLastError();
        if (failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF)
            return 0;
        *error = lastError();
        return -1;
    }
    return qint64(got);
}

int OpenFile::write(const char* data, qint64 size) const {
    constexpr qint64 kPiece = 1024 * 1024;
    const HANDLE handle = handleOf(descriptor_);
    for (qint64 done = 0; done < size;) {
        DWORD written = 0;
        if (!::WriteFile(handle, data + done, DWORD(std::min(kPiece, size - done)), &written,
                         nullptr))
            return lastError();
        if (written == 0)
            return int(ERROR_WRITE_FAULT);
        done += written;
    }
    return 0;
}

void OpenFile::takeAccessOf(const Status&) const {
    // Nothing to take: the new file has the rights its folder passes on, as
    // the previous file had unless someone gave it others, and a file
    // marked read-only is never replaced (mayWrite).
}

int OpenFile::sync() const {
    return ::FlushFileBuffers(handleOf(descriptor_)) ? 0 : lastError();
}

int OpenFile::close() {
    const int descriptor = std::exchange(descriptor_, -1);
    if (::_close(descriptor) == 0)
        return 0;
    // The C library keeps the system's number of the failed CloseHandle.
    return _doserrno != 0 ? int(_doserrno) : kUnknownError;
}

// Windows has no file-size signal: a write past what the file system takes
// fails (ERROR_FILE_TOO_LARGE, ERROR_DISK_FULL) and nothing ends the program.
struct FileSizeSignalIgnored::Previous {};

FileSizeSignalIgnored::FileSizeSignalIgnored() = default;

FileSizeSignalIgnored::~FileSizeSignalIgnored() = default;

void ignoreFileSizeSignal() {}

}  // namespace SystemFiles
