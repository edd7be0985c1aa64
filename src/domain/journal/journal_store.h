// SPDX-License-Identifier: MIT
#pragma once

#include "domain/journal/journal.h"

#include <map>
#include <memory>
#include <optional>

#include <QList>
#include <QLockFile>
#include <QString>
#include <QStringList>

// The journals of the runs on this computer, in one folder: "run-N.journal"
// beside its lock "run-N.lock", one N for each program running at once, so
// that two programs never write to one journal. A run holds the lock of its
// journal until it ends; a run that crashed leaves a lock that the next one
// takes over.
class JournalStore {
public:
    explicit JournalStore(const QString& folder);
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    // A journal that an earlier run left with unsaved changes.
    struct Leftover {
        int slot = 0;
        QString path;
        JournalContents contents;
        // A damaged journal: the copy of it as it was found, made before
        // anything cuts it.
        QString keptCopy;
    };

    // A journal set aside, for telling the operator: its new name, and the
    // job it holds.
    struct SetAside {
        QString path;
        QString jobFilePath;
        QString customer;
        QString event;
        int pupils = 0;
    };

    struct Scan {
        // The leftover written to last, if any; its slot stays locked by this
        // run until it is resumed or set aside.
        std::optional<Leftover> restorable;
        // Journals that could not be read: each was kept under a new name
        // (listed here) and the reason is beside it.
        QStringList unreadable;
        QStringList unreadableReasons;
        // Journals that could not be written to the end and whose job file
        // holds every pupil they hold (it was saved after they stopped):
        // set aside, not offered, as nothing in them is lost.
        QList<SetAside> overtaken;
    };

    // Looks at every journal that no running program holds: removes those
    // with nothing unsaved, keeps unreadable ones aside under a new name, and
    // offers the unsaved one written to last. Other unsaved journals are
    // left for a later start. Set-aside journals older than kKeepSetAsideDays
    // go.
    Scan scan();

    // Sets a leftover journal aside under a dated name of its own (see
    // setJournalAside), so its slot is free for this run; nothing when it
    // could not be renamed.
    std::optional<SetAside> setAside(const Leftover& leftover);

    static constexpr int kKeepSetAsideDays = 30;

    // The journal file of this run: the slot given (a restored leftover's)
    // or the first free one, locked for the run. Empty when no slot can be
    // had (the folder cannot be written).
    QString claim(std::optional<int> slot = std::nullopt);

    QString folder() const { return folder_; }

private:
    QString journalPath(int slot) const;
    QString lockPath(int slot) const;
    bool lockSlot(int slot);
    void releaseSlot(int slot);
    void removeOldSetAside();

    QString folder_;
    std::map<int, std::unique_ptr<QLockFile>> locks_;
    int claimed_ = -1;
};

// The journal's texts for the operator.
namespace JournalStoreTexts {
extern const QString kUnreadable;  // %1: the file kept, %2: why it could not be read
// A journal set aside at the start: %1 customer, %2 event, %3 pupils, %4
// the journal kept; kOvertaken: %5 the job file that holds its pupils.
extern const QString kOvertaken;
extern const QString kDeclined;
}  // namespace JournalStoreTexts
