// SPDX-License-Identifier: MIT
#include "app/sound_player.h"

// windows.h before mmsystem.h, which builds on it.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

// The system plays the file on a thread of its own and stops a sound still
// playing; it reads the file each time, so there is nothing to preload.
struct SoundPlayer::Sounds {};

SoundPlayer::SoundPlayer() = default;
SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::preload(const QString&) {}

bool SoundPlayer::play(const QString& path) {
    // SND_NODEFAULT: a file that cannot be played is reported here, and the
    // caller beeps, as on Linux. With no sound device the call fails quietly
    // and the beep is silent too.
    return PlaySoundW(reinterpret_cast<const wchar_t*>(path.utf16()), nullptr,
                      SND_ASYNC | SND_FILENAME | SND_NODEFAULT) != FALSE;
}
