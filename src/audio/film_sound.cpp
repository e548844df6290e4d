#include "audio/film_sound.h"

#include <utility>

namespace plexo::audio {

FilmSound::FilmSound(std::unique_ptr<Sink> sink, std::function<std::optional<SoundSource>()> source)
    : player_(std::move(sink)), source_(std::move(source))
{
}

bool FilmSound::Start(play::Micros at, double speed)
{
    const std::optional<SoundSource> source = source_ ? source_() : std::nullopt;
    if (!source) {
        player_.Stop();
        return false;
    }
    player_.SetFilm(source->path, source->track, source->pictureLength);
    return player_.Play(at, speed);
}

}  // namespace plexo::audio
