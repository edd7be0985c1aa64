// SPDX-License-Identifier: MIT
#include "domain/journal_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

const QString JournalStoreTexts::kUnreadable = QStringLiteral(
    "前回までの入力記録を読み取れなかったため、復元できません。\n%"
    "2\n記録は消さずに次の名前で残してあります。\n%1");

namespace {

constexpr int kMostRunsAtOnce = 64;

}  // namespace

JournalStore::JournalStore(const QString& folder) : folder_(folder) {
    QDir().mkpath(folder_);
}

JournalStore::~JournalStore() = default;

QString JournalStore::journalPath(int slot) const {
    return QDir(folder_).filePath(QStringLiteral("run-%1.journal").arg(slot));
}

QString JournalStore::lockPath(int slot) const {
    return QDir(folder_).filePath(QStringLiteral("run-%1.lock").arg(slot));
}

bool JournalStore::lockSlot(int slot) {
    if (locks_.count(slot))
        return true;
    auto lock = std::make_unique<QLockFile>(lockPath(slot));
    // Held for the whole run: only a lock whose program no longer runs is stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    locks_[slot] = std::move(lock);
    return true;
}

void JournalStore::releaseSlot(int slot) {
    locks_.erase(slot);
}

JournalStore::Scan JournalStore::scan() {
    Scan result;
    static const QRegularExpression kName(QStringLiteral("^run-(\\d+)\\.journal$"));
    const QStringList names =
        QDir(folder_).entryList({QStringLiteral("run-*.journal")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = kName.match(name);
        if (!match.hasMatch())
            continue;
        const int slot = match.captured(1).toInt();
        if (slot == claimed_ || !lockSlot(slot))
            continue;  // this run's own, or another program's that still runs
        const QString path = journalPath(slot);
        QString why;
        std::optional<JournalContents> contents = readJournalFile(path, &why);
        if (!contents) {
            const QString kept = QDir(folder_).filePath(
                QStringLiteral("run-%1.unreadable-%2.journal")
                    .arg(slot)
                    .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"))));
            QFile::rename(path, kept);
            result.unreadable << kept;
            result.unreadableReasons << why;
            releaseSlot(slot);
            continue;
        }
        if (!contents->unsaved) {
            QFile::remove(path);
            releaseSlot(slot);
            continue;
        }
        if (result.restorable && result.restorable->contents.lastChange >= contents->lastChange) {
            releaseSlot(slot);
            continue;
        }
        if (result.restorable)
            releaseSlot(result.restorable->slot);
        result.restorable = Leftover{slot, path, std::move(*contents)};
    }
    return result;
}

bool JournalStore::setAside(const Leftover& leftover) {
    const QString previous =
        QDir(folder_).filePath(QStringLiteral("run-%1.previous.journal").arg(leftover.slot));
    QFile::remove(previous);
    return QFile::rename(leftover.path, previous);
}

QString JournalStore::claim(std::optional<int> slot) {
    if (slot && lockSlot(*slot)) {
        claimed_ = *slot;
        return journalPath(*slot);
    }
    for (int n = 0; n < kMostRunsAtOnce; ++n) {
        // A slot whose journal still waits to be offered is not taken.
        if (QFile::exists(journalPath(n)) || !lockSlot(n))
            continue;
        claimed_ = n;
        for (auto it = locks_.begin(); it != locks_.end();)
            it = it->first == n ? std::next(it) : locks_.erase(it);
        return journalPath(n);
    }
    return {};
}
