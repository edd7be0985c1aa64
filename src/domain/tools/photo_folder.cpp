// SPDX-License-Identifier: MIT
#include "domain/tools/photo_folder.h"

#include "domain/job/job_state.h"
#include "domain/job/numbers.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

// Gathers the changes of a copy in progress: the folder is read again at
// most this often while files keep coming.
constexpr int kSettleMilliseconds = 150;

bool nameBefore(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

}  // namespace

std::optional<int> photoNumberOfFileName(QStringView fileName) {
    if (fileName.isEmpty() || fileName.front() == u'.')
        return std::nullopt;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QStringView base = dot > 0 ? fileName.left(dot) : fileName;
    qsizetype end = base.size();
    while (end > 0 && !base[end - 1].isDigit())
        --end;
    if (end == 0)
        return std::nullopt;
    qsizetype start = end;
    while (start > 0 && base[start - 1].isDigit())
        --start;
    while (start < end && base[start].digitValue() == 0)
        ++start;
    // More significant digits than the largest number has: none.
    if (end - start > 5 || start == end)
        return std::nullopt;
    int number = 0;
    for (qsizetype i = start; i < end; ++i)
        number = number * 10 + base[i].digitValue();
    if (number > JobState::kMaxPhotoNumber)
        return std::nullopt;
    return number;
}

int photoNumberOfTyped(QStringView typed) {
    const Number n = std::fabs(readNumber(typed));
    return n >= 1 && n <= JobState::kMaxPhotoNumber ? int(n) : 0;
}

PhotoFolder::PhotoFolder(const QStringList& suffixes, QObject* parent)
    : QObject(parent),
      suffixes_(suffixes),
      names_(std::make_shared<const Names>(JobState::kMaxPhotoNumber + 1)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &PhotoFolder::rescan);
    // Not restarted by every change: a long copy is read again as it goes.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!settle_.isActive())
            settle_.start();
    });
    // The photo's file, though, is told once its writing rests: a photo
    // being copied in is read again when it is whole, not at every block.
    photoSettle_.setSingleShot(true);
    photoSettle_.setInterval(kSettleMilliseconds);
    connect(&photoSettle_, &QTimer::timeout, this, [this] {
        // Replaced by a rename or written anew: watched again.
        if (!photo_.isEmpty() && !watcher_.files().contains(photo_))
            watcher_.addPath(photo_);
        emit photoChanged(photo_);
    });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& file) {
        if (file == photo_)
            photoSettle_.start();
    });
    scanPool_.setMaxThreadCount(1);
}

PhotoFolder::~PhotoFolder() {
    // A reading under way hands its index to this object: it is waited for.
    scanPool_.waitForDone();
}

bool PhotoFolder::open(const QString& path) {
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    settle_.stop();
    ++scanGeneration_;
    scanAgain_ = false;
    const QString before =
        std::exchange(path_, QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const bool wasReadable = readable_;
    const bool changedNow = take(read(path_, suffixes_, names_));
    if (readable_)
        watcher_.addPath(path_);
    // Another folder is news even when it holds the same names: the files are others.
    if (changedNow || path_ != before || readable_ != wasReadable)
        emit changed();
    return readable_;
}

void PhotoFolder::rescan() {
    settle_.stop();
    if (path_.isEmpty())
        return;
    if (scanning_) {
        scanAgain_ = true;
        return;
    }
    startScan();
}

void PhotoFolder::startScan() {
    scanning_ = true;
    const int generation = scanGeneration_;
    scanPool_.start([this, generation, path = path_, suffixes = suffixes_, before = names_] {
        Index index = read(path, suffixes, before);
        QMetaObject::invokeMethod(
            this,
            [this, generation, index = std::move(index)]() mutable {
                scanning_ = false;
                if (generation == scanGeneration_) {
                    const bool changedNow = take(std::move(index));
                    // A folder that went away (a card taken out) and came
                    // back is watched again.
                    if (readable_ && !watcher_.directories().contains(path_))
                        watcher_.addPath(path_);
                    if (changedNow)
                        emit changed();
                }
                if (std::exchange(scanAgain_, false))
                    startScan();
                else if (generation == scanGeneration_)
                    emit scanned();
            },
            Qt::QueuedConnection);
    });
}

void PhotoFolder::watchPhoto(const QString& path) {
    if (path == photo_ && (path.isEmpty() || watcher_.files().contains(path)))
        return;
    photoSettle_.stop();
    if (!photo_.isEmpty())
        watcher_.removePath(photo_);
    photo_ = path;
    if (!photo_.isEmpty())
        watcher_.addPath(photo_);
}

PhotoFolder::Index PhotoFolder::read(const QString& path, const QStringList& suffixes,
                                     const std::shared_ptr<const Names>& before) {
    Index index;
    Names names(JobState::kMaxPhotoNumber + 1);
    const QDir folder(path);
    index.readable = folder.exists() && folder.isReadable();
    if (index.readable) {
        QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            it.next();
            const QString name = it.fileName();
            const qsizetype dot = name.lastIndexOf(u'.');
            if (dot < 0)
                continue;
            const QStringView suffix = QStringView(name).mid(dot + 1);
            const bool image = std::any_of(
                suffixes.cbegin(), suffixes.cend(),
                [&](const QString& s) { return suffix.compare(s, Qt::CaseInsensitive) == 0; });
            if (!image)
                continue;
            if (const std::optional<int> number = photoNumberOfFileName(name))
                names[*number] << name;
        }
    }
    for (QStringList& list : names) {
        if (list.size() > 1)
            std::sort(list.begin(), list.end(), nameBefore);
        index.photoCount += list.isEmpty() ? 0 : 1;
    }
    index.differs = !before || *before != names;
    index.names = index.differs ? std::make_shared<const Names>(std::move(names)) : before;
    return index;
}

bool PhotoFolder::take(Index index) {
    readable_ = index.readable;
    photoCount_ = index.photoCount;
    if (!index.differs)
        return false;
    // The old index let go on the reading thread: 20 000 names take a few
    // milliseconds to free.
    scanPool_.start(
        [old = std::exchange(names_, std::move(index.names))]() mutable { old.reset(); });
    return true;
}

QString PhotoFolder::fileOf(int number) const {
    if (number < 1 || number > JobState::kMaxPhotoNumber || (*names_)[number].isEmpty())
        return {};
    return path_ + u'/' + (*names_)[number].constFirst();
}

QVector<int> PhotoFolder::numbers() const {
    QVector<int> numbers;
    numbers.reserve(photoCount_);
    for (int number = 1; number <= JobState::kMaxPhotoNumber; ++number) {
        if (!(*names_)[number].isEmpty())
            numbers.append(number);
    }
    return numbers;
}

QStringList PhotoFolder::filesOf(int number) const {
    QStringList files = namesOf(number);
    const QDir folder(path_);
    for (QString& file : files)
        file = folder.filePath(file);
    return files;
}

QStringList PhotoFolder::namesOf(int number) const {
    if (number < 1 || number > JobState::kMaxPhotoNumber)
        return {};
    return (*names_)[number];
}
