#pragma once
// The player's sound output over a SoundPlayer: each Start asks what the
// film's sound is now (its file, its track, its picture's length, or none),
// so another film or another track plays from the next Start on.

#include <functional>
#include <memory>
#include <optional>

#include "audio/sink.h"
#include "audio/sound_player.h"
#include "audio/sound_source.h"
#include "play/sound_output.h"

namespace plexo::audio {

class FilmSound final : public play::SoundOutput {
public:
    // `source` is asked at every Start; nothing: the film is silent.
    FilmSound(std::unique_ptr<Sink> sink, std::function<std::optional<SoundSource>()> source);

    bool Start(play::Micros at, double speed) override;
    void Stop() override { player_.Stop(); }
    std::optional<play::Micros> Position() override { return player_.Position(); }
    void SetVolume(int percent, bool muted) override { player_.SetVolume(percent, muted); }

private:
    SoundPlayer player_;
    std::function<std::optional<SoundSource>()> source_;
};

}  // namespace plexo::audio
