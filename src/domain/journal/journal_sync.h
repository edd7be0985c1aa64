// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include <QObject>
#include <QtGlobal>

// Gets what was written to a file onto the disk from a thread of its own,
// so that the thread writing (the one handling the keys) never waits for
// the disk. Syncs are asked for after writes and made in the order asked:
// when a sync is done, every write made before it was asked for is on the
// disk. Syncs asked for while one runs are served together by the next,
// which covers them all. A sync starts once the writing thread's event
// loop has nothing left to do (the key handled and repainted), or a few
// milliseconds after it was asked for when that takes longer (or there is
// no event loop), or at once when waited for.
//
// A sync that fails is kept until taken (takeFailure), and announced to
// the thread that made this object through its event loop (onFailure), so
// that what follows a failure happens on that thread only.
class JournalSync {
public:
    // How a file's contents are synced: SystemFiles::syncData, or a
    // test's; 0 for success, else the system's error.
    using SyncCall = std::function<int(int descriptor)>;

    explicit JournalSync(SyncCall sync);
    JournalSync(const JournalSync&) = delete;
    JournalSync& operator=(const JournalSync&) = delete;
    // Waits for the syncs asked for, then ends the thread.
    ~JournalSync();

    // The open file (QFileDevice::handle()) that the syncs from now on are
    // for; -1 for none. Waits for the syncs asked for before, and ends the
    // thread that made them (joined: it lives for one file, from its first
    // request). The thread uses a descriptor of its own for the file
    // (SystemFiles::openToSync), closed at the next setFile.
    void setFile(int descriptor);

    // Asks for everything written to the file so far to be synced, and
    // returns at once.
    void request();

    // Waits until every sync asked for is done.
    void wait();

    // Whether a sync failed since the last time this was asked (the error
    // goes to *error); the failure is taken, so it is told once.
    bool takeFailure(int* error = nullptr);

    // Called on the thread that made this object, from its event loop, after
    // a sync has failed, unless the failure was taken meanwhile.
    void setOnFailure(std::function<void()> onFailure) { onFailure_ = std::move(onFailure); }
    bool hasOnFailure() const { return bool(onFailure_); }

private:
    void run();
    // The writing thread's event loop has nothing to do: a sync asked for
    // may start.
    void goneIdle();
    // Ends the thread, which has nothing left to sync.
    void endThread();
    void announceFailure();

    const SyncCall sync_;
    std::function<void()> onFailure_;
    QObject receiver_;  // lives on the thread that made this object
    // Of the writing thread only.
    bool watchingIdle_ = false;  // its event loop tells when it goes idle
    bool idleAwaited_ = false;   // a sync was asked for since it last did

    std::mutex mutex_;
    std::condition_variable asked_;
    std::condition_variable done_;
    // Everything below is shared with the thread, under mutex_.
    int descriptor_ = -1;  // what the thread syncs
    bool ownDescriptor_ = false;
    quint64 requested_ = 0;  // syncs asked for
    quint64 synced_ = 0;     // of those, done
    bool released_ = false;  // those asked for may be synced now
    int error_ = 0;          // the first failure not taken yet
    bool stopping_ = false;
    std::thread thread_;  // started at the first request for a file
};
