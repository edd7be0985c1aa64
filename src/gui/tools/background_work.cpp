// SPDX-License-Identifier: MIT
#include "gui/tools/background_work.h"

#include <QPointer>
#include <QThread>

BackgroundWork::BackgroundWork(QObject* parent) : QObject(parent) {}

BackgroundWork::~BackgroundWork() {
    if (thread_) {
        cancel_->store(true);
        thread_->wait();
    }
}

void BackgroundWork::start(Task task, std::function<void()> done) {
    stop();
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    done_ = std::move(done);
    auto permille = std::make_shared<std::atomic<int>>(-1);
    thread_ = QThread::create([task = std::move(task), cancel = cancel_, permille,
                               self = QPointer<BackgroundWork>(this)] {
        task(*cancel, [&](int finished, int total) {
            const int value = total > 0 ? int(qint64(finished) * 1000 / total) : 0;
            // Told when it moves, not at every step; queued to the owner's
            // thread, and dropped there once the owner has gone.
            if (permille->exchange(value) != value && self)
                QMetaObject::invokeMethod(
                    self.data(),
                    [self, value] {
                        if (self)
                            emit self->progressed(value);
                    },
                    Qt::QueuedConnection);
        });
    });
    const int generation = ++generation_;
    connect(thread_, &QThread::finished, this, [this, generation] {
        if (generation == generation_)
            finish();
    });
    thread_->start();
}

void BackgroundWork::cancel() {
    cancel_->store(true);
}

bool BackgroundWork::isCancelled() const {
    return cancel_->load();
}

void BackgroundWork::stop() {
    if (!thread_)
        return;
    cancel_->store(true);
    thread_->wait();
    ++generation_;
    thread_->deleteLater();
    thread_ = nullptr;
    done_ = nullptr;
}

void BackgroundWork::finish() {
    thread_->wait();
    thread_->deleteLater();
    thread_ = nullptr;
    const std::function<void()> done = std::move(done_);
    done_ = nullptr;
    if (done)
        done();
}
