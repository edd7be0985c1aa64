// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QObject>

class QThread;

// One piece of a tool's work on a thread of its own, so the keys on the
// input screen go on meanwhile: it is given a flag to look at between its
// steps and a way to tell how far it has come; its end is told back on
// the thread that started it. One at a time.
class BackgroundWork : public QObject {
    Q_OBJECT
public:
    using Progress = std::function<void(int done, int total)>;
    using Task = std::function<void(const std::atomic<bool>& cancel, const Progress& progress)>;

    explicit BackgroundWork(QObject* parent = nullptr);
    ~BackgroundWork() override;  // cancels and waits

    // Starts task; done runs here once it has ended, unless stopped first.
    void start(Task task, std::function<void()> done);

    bool isRunning() const { return thread_ != nullptr; }
    // Asks the task to stop at its next step; done still runs.
    void cancel();
    bool isCancelled() const;
    // Cancels and waits for the task to end; done does not run.
    void stop();

signals:
    // How far the task has come, in thousandths, when that moves.
    void progressed(int permille);

private:
    void finish();

    QThread* thread_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    std::function<void()> done_;
    int generation_ = 0;  // a task stopped does not come back to its done
};
