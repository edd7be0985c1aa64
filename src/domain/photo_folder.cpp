// SPDX-License-Identifier: MIT
#include "domain/photo_folder.h"

#include "domain/job_state.h"
#include "domain/numbers.h"

#include <algorithm>
#include <cmath>

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
    : QObject(parent), suffixes_(suffixes), names_(JobState::kMaxPhotoNumber + 1) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &PhotoFolder::rescan);
    // Not restarted by every change: a long copy is read again as it goes.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!settle_.isActive())
            settle_.start();
    });
}

bool PhotoFolder::open(const QString& path) {
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    settle_.stop();
    path_ = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const bool changedNow = read();
    if (readable_)
        watcher_.addPath(path_);
    if (changedNow)
        emit changed();
    return readable_;
}

void PhotoFolder::rescan() {
    settle_.stop();
    if (path_.isEmpty())
        return;
    const bool changedNow = read();
    // A folder that went away (a card taken out) and came back is watched again.
    if (readable_ && !watcher_.directories().contains(path_))
        watcher_.addPath(path_);
    if (changedNow)
        emit changed();
}

bool PhotoFolder::read() {
    std::vector<QStringList> names(JobState::kMaxPhotoNumber + 1);
    const QDir folder(path_);
    readable_ = folder.exists() && folder.isReadable();
    if (readable_) {
        QDirIterator it(path_, QDir::Files | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            it.next();
            const QString name = it.fileName();
            const qsizetype dot = name.lastIndexOf(u'.');
            if (dot < 0)
                continue;
            const QStringView suffix = QStringView(name).mid(dot + 1);
            const bool image = std::any_of(
                suffixes_.cbegin(), suffixes_.cend(),
                [&](const QString& s) { return suffix.compare(s, Qt::CaseInsensitive) == 0; });
            if (!image)
                continue;
            if (const std::optional<int> number = photoNumberOfFileName(name))
                names[*number] << name;
        }
    }
    int count = 0;
    for (QStringList& list : names) {
        if (list.size() > 1)
            std::sort(list.begin(), list.end(), nameBefore);
        count += list.isEmpty() ? 0 : 1;
    }
    const bool differs = names != names_;
    names_ = std::move(names);
    photoCount_ = count;
    return differs;
}

QString PhotoFolder::fileOf(int number) const {
    if (number < 1 || number > JobState::kMaxPhotoNumber || names_[number].isEmpty())
        return {};
    return path_ + u'/' + names_[number].constFirst();
}

QStringList PhotoFolder::namesOf(int number) const {
    if (number < 1 || number > JobState::kMaxPhotoNumber)
        return {};
    return names_[number];
}
