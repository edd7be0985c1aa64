// SPDX-License-Identifier: MIT
#include "app/sound_player.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// windows.h before mmsystem.h, which builds on it.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

// The system's sound call, on a thread of its own. Even with SND_ASYNC the
// call may wait for the sound before it to stop, and for a sound device
// that is slow to answer or not there; a keystroke must never wait for
// either. Only the newest sound matters: a new one cuts the one playing.
struct SoundPlayer::Sounds {
    std::mutex mutex;
    std::condition_variable wake;
    std::wstring pending;
    bool stopping = false;
    std::thread player{[this] { run(); }};

    ~Sounds() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_one();
        player.join();
        PlaySoundW(nullptr, nullptr, 0);
    }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !pending.empty(); });
            if (stopping)
                return;
            const std::wstring path = std::move(pending);
            pending.clear();
            lock.unlock();
            // SND_NODEFAULT: a file the system cannot play gives the beep
            // below, as on Linux. Without a sound device both are silent,
            // which is no error.
            if (!PlaySoundW(path.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT))
                MessageBeep(MB_OK);
            lock.lock();
        }
    }
};

SoundPlayer::SoundPlayer() : sounds_(std::make_unique<Sounds>()) {}
SoundPlayer::~SoundPlayer() = default;

// The system reads the file each time it plays it.
void SoundPlayer::preload(const QString&) {}

bool SoundPlayer::play(const QString& path) {
    {
        std::lock_guard lock(sounds_->mutex);
        sounds_->pending = path.toStdWString();
    }
    sounds_->wake.notify_one();
    return true;
}
