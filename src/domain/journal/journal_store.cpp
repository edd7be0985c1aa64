// SPDX-License-Identifier: MIT
#include "domain/journal/journal_store.h"

#include "domain/files/file_replacement.h"
#include "domain/files/job_file_loader.h"
#include "domain/tools/job_combine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

const QString JournalStoreTexts::kUnreadable = QStringLiteral(
    "前回までの入力記録を読み取れなかったため、復元できません。\n%"
    "2\n記録は消さずに次の名前で残してあります。\n%1");
const QString JournalStoreTexts::kOvertaken = QStringLiteral(
    "前回の入力記録（得意先：%1　行事名：%2　%3人）は、その人たちがすべて\n"
    "ジョブファイル「%5」に保存されているため、復元しません。\n"
    "記録は消さずに次の名前で残してあります。\n%4");
const QString JournalStoreTexts::kDeclined = QStringLiteral(
    "前回の入力記録（得意先：%1　行事名：%2　%3人）は復元せず、\n"
    "次の名前で残しました。\n%4");

namespace {

constexpr int kMostRunsAtOnce = 64;

// Whether the job file holds everything a journal holds: its file is no
// longer as the journal last knew it, and loads as a job with the same
// settings and every registered pupil of the journal's job, in the same
// places, with no open pupil left out. Judged by content alone: a file
// touched, copied or saved by another PC with other pupils is not.
bool jobFileHoldsAllOf(const JournalContents& contents, const JobState& journaled) {
    const QByteArray now = fileContentDigest(contents.jobFilePath);
    if (now.isEmpty() || now == contents.jobFileDigest || !journaled.pendingEntry.isEmpty())
        return false;
    JobState file;
    if (!LoadJobFile(file, contents.jobFilePath).complete())
        return false;
    if (!sameSizes(file, journaled) || file.personCount < journaled.personCount)
        return false;
    for (int k = 1; k <= int(journaled.personCount) && k < journaled.personRecords.size(); ++k)
        if (file.personRecords[k] != journaled.personRecords[k])
            return false;
    return true;
}

JournalStore::SetAside describe(const QString& aside, const JournalContents& contents,
                                const JobState& job) {
    return {aside, contents.jobFilePath, job.customerName.toText(), job.eventName.toText(),
            int(job.personCount)};
}

}  // namespace

JournalStore::JournalStore(const QString& folder) : folder_(folder) {
    makePrivateFolder(folder_);
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

namespace {

// When a set-aside journal was set aside: the date in its name, or for a
// name without one, when it was last changed.
QDateTime setAsideTime(const QFileInfo& file) {
    static const QRegularExpression kDated(QStringLiteral(
        "^run-\\d+\\.(\\d{4}-\\d\\d-\\d\\dT\\d\\d-\\d\\d-\\d\\d)(-\\d+)?\\.previous\\.journal$"));
    const QRegularExpressionMatch match = kDated.match(file.fileName());
    if (match.hasMatch()) {
        const QDateTime dated =
            QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-ddTHH-mm-ss"));
        if (dated.isValid())
            return dated;
    }
    return file.lastModified();
}

}  // namespace

void JournalStore::removeOldSetAside() {
    const QDateTime oldest = QDateTime::currentDateTime().addDays(-kKeepSetAsideDays);
    const QFileInfoList files =
        QDir(folder_).entryInfoList({QStringLiteral("run-*.previous.journal")}, QDir::Files);
    for (const QFileInfo& file : files) {
        if (setAsideTime(file) < oldest) {
            QFile::remove(file.filePath());
            QFile::remove(incompleteMarkPath(file.filePath()));
        }
    }
}

JournalStore::Scan JournalStore::scan() {
    removeOldSetAside();
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
            QFile::remove(incompleteMarkPath(path));
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
        // A journal that stopped before its run ended holds nothing that a
        // save of its job file made after it stopped does not.
        if (contents->incomplete && !contents->jobFilePath.isEmpty()) {
            const JobState journaled = replayJournal(*contents, QString());
            if (jobFileHoldsAllOf(*contents, journaled)) {
                const QString aside = setJournalAside(path, QDateTime::currentDateTime());
                if (!aside.isEmpty()) {
                    result.overtaken << describe(aside, *contents, journaled);
                    releaseSlot(slot);
                    continue;
                }
            }
        }
        if (result.restorable && result.restorable->contents.lastChange >= contents->lastChange) {
            releaseSlot(slot);
            continue;
        }
        if (result.restorable)
            releaseSlot(result.restorable->slot);
        result.restorable = Leftover{slot, path, std::move(*contents), QString()};
    }
    // The journal offered, when damaged, is copied as it is before a
    // restore cuts it where the damage starts.
    if (result.restorable && result.restorable->contents.damaged) {
        const QString copy = QDir(folder_).filePath(
            QStringLiteral("run-%1.damaged-%2.journal")
                .arg(result.restorable->slot)
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"))));
        if (QFile::exists(copy) || QFile::copy(result.restorable->path, copy))
            result.restorable->keptCopy = copy;
    }
    return result;
}

std::optional<JournalStore::SetAside> JournalStore::setAside(const Leftover& leftover) {
    // Set aside whole, the copy of a damaged one is not needed.
    const QString aside = setJournalAside(leftover.path, QDateTime::currentDateTime());
    if (aside.isEmpty())
        return std::nullopt;
    if (!leftover.keptCopy.isEmpty())
        QFile::remove(leftover.keptCopy);
    return describe(aside, leftover.contents, replayJournal(leftover.contents, QString()));
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
