// SPDX-License-Identifier: MIT
#include "app/sound_player.h"

#include <QHash>
#include <QSoundEffect>
#include <QUrl>

struct SoundPlayer::Sounds {
    QHash<QString, QSoundEffect*> effects;

    ~Sounds() { qDeleteAll(effects); }

    QSoundEffect* effectFor(const QString& path) {
        if (QSoundEffect* effect = effects.value(path))
            return effect;
        auto* effect = new QSoundEffect;
        effect->setSource(QUrl::fromLocalFile(path));
        effects.insert(path, effect);
        return effect;
    }
};

SoundPlayer::SoundPlayer() : sounds_(std::make_unique<Sounds>()) {}
SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::preload(const QString& path) {
    sounds_->effectFor(path);
}

bool SoundPlayer::play(const QString& path) {
    QSoundEffect* effect = sounds_->effectFor(path);
    if (effect->status() == QSoundEffect::Error)
        return false;
    // Restarts a sound still playing; never waits for it.
    effect->play();
    return true;
}
