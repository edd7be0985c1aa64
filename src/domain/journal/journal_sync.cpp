// SPDX-License-Identifier: MIT
#include "domain/journal/journal_sync.h"

#include "domain/files/system_files.h"

#include <chrono>

#include <QAbstractEventDispatcher>

namespace {

// How long a sync waits at most for the writing thread to go idle.
constexpr std::chrono::milliseconds kMostDeferred{3};

}  // namespace

JournalSync::JournalSync(SyncCall sync) : sync_(std::move(sync)) {}

JournalSync::~JournalSync() {
    setFile(-1);
}

void JournalSync::setFile(int descriptor) {
    wait();
    // No sync runs now: the thread ends, and the next request starts one
    // for the new file.
    endThread();
    const std::lock_guard lock(mutex_);
    if (ownDescriptor_)
        SystemFiles::closeDescriptor(descriptor_);
    descriptor_ = -1;
    ownDescriptor_ = false;
    if (descriptor < 0)
        return;
    descriptor_ = SystemFiles::openToSync(descriptor);
    ownDescriptor_ = descriptor_ >= 0;
    if (!ownDescriptor_)
        descriptor_ = descriptor;  // synced through the writer's own then
}

void JournalSync::request() {
    if (!watchingIdle_) {
        // Once the thread runs an event loop.
        if (QAbstractEventDispatcher* events = QAbstractEventDispatcher::instance()) {
            QObject::connect(events, &QAbstractEventDispatcher::aboutToBlock, &receiver_,
                             [this] { goneIdle(); });
            watchingIdle_ = true;
        }
    }
    {
        const std::lock_guard lock(mutex_);
        if (descriptor_ < 0)
            return;
        ++requested_;
        released_ = released_ || !watchingIdle_;
        if (!thread_.joinable())
            thread_ = std::thread(&JournalSync::run, this);
    }
    idleAwaited_ = true;
    asked_.notify_one();
}

void JournalSync::goneIdle() {
    if (!idleAwaited_)
        return;
    idleAwaited_ = false;
    {
        const std::lock_guard lock(mutex_);
        released_ = true;
    }
    asked_.notify_one();
}

void JournalSync::wait() {
    std::unique_lock lock(mutex_);
    if (synced_ == requested_)
        return;
    released_ = true;
    asked_.notify_one();
    done_.wait(lock, [this] { return synced_ == requested_; });
}

bool JournalSync::takeFailure(int* error) {
    const std::lock_guard lock(mutex_);
    if (error)
        *error = error_;
    const bool failed = error_ != 0;
    error_ = 0;
    return failed;
}

void JournalSync::endThread() {
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    asked_.notify_one();
    thread_.join();
    stopping_ = false;  // the thread is gone
}

void JournalSync::run() {
    SystemFiles::wakeWithoutPreempting();
    std::unique_lock lock(mutex_);
    for (;;) {
        asked_.wait(lock, [this] { return stopping_ || requested_ > synced_; });
        if (requested_ == synced_)
            return;  // stopping, and nothing left to sync
        // The disk's work waits until the writing thread has handled its
        // event (the key, and the repaint it asked for), so as not to slow
        // it; a little while at most.
        asked_.wait_for(lock, kMostDeferred, [this] { return released_ || stopping_; });
        released_ = false;
        // Everything written before the last request goes with one sync.
        const quint64 target = requested_;
        const int descriptor = descriptor_;
        lock.unlock();
        const int error = sync_(descriptor);
        lock.lock();
        if (error != 0 && error_ == 0) {
            error_ = error;
            // Posted before the sync counts as done: whoever waited for it
            // finds the announcement on its way.
            lock.unlock();
            announceFailure();
            lock.lock();
        }
        synced_ = target;
        done_.notify_all();
    }
}

void JournalSync::announceFailure() {
    // The receiver lives on the thread that made this object; what is
    // posted to it goes with it, should it go first.
    QMetaObject::invokeMethod(
        &receiver_,
        [this] {
            bool failed = false;
            {
                const std::lock_guard lock(mutex_);
                failed = error_ != 0;
            }
            if (failed && onFailure_)
                onFailure_();
        },
        Qt::QueuedConnection);
}
