// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QString>

// Plays the program's wave files without waiting for them. Each system has
// its own: Qt Multimedia on Linux, the system's sound call on Windows.
class SoundPlayer {
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Gets a wave file ready ahead of its first use, where the system can.
    void preload(const QString& path);
    // Starts the sound, cutting short one still playing. False when the
    // file cannot be played and the caller is to beep instead (a player
    // that finds it out later beeps itself). A machine without a
    // sound device is not an error.
    bool play(const QString& path);

private:
    struct Sounds;
    std::unique_ptr<Sounds> sounds_;
};
