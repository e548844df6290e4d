// The sound of a video: the track chosen, kept in its record of the
// "Films" section, the file's tracks and what plays.

#include <cmath>

#include "doc/document.h"

namespace plexo {

namespace {

constexpr const char* kAudioTrackField = "audio-track";
// Stream indexes beyond any file's; a hand-edited value outside is not
// trusted.
constexpr int32_t kMostStreams = 100000;

}  // namespace

int32_t CPlexoDoc::audioTrack() const
{
    const std::optional<int32_t> kept = record_.Number(kAudioTrackField, kMostStreams);
    return kept && *kept >= 0 ? *kept : -1;
}

void CPlexoDoc::setAudioTrack(int32_t track)
{
    if (!film_ || track == audioTrack())
        return;
    if (track >= 0)
        record_.SetNumber(kAudioTrackField, track);
    else
        record_.Erase(kAudioTrackField);
    if (!filmKey_.empty())
        KeepFilm(filmKey_, record_);
}

const std::vector<audio::AudioTrack>& CPlexoDoc::audioTracks() const
{
    const std::string path = ownRate() && !filmPaths_.empty() ? filmPaths_.front() : std::string();
    if (path != tracksPath_) {
        tracksPath_ = path;
        tracks_ = path.empty() ? std::vector<audio::AudioTrack>{} : audio::AudioTracksOf(path);
    }
    return tracks_;
}

int32_t CPlexoDoc::shownAudioTrack() const
{
    const int32_t chosen = audioTrack();
    return chosen >= 0 ? chosen : audio::DefaultTrack(audioTracks());
}

std::optional<audio::SoundSource> CPlexoDoc::soundSource() const
{
    if (!ownRate() || filmPaths_.empty())
        return std::nullopt;
    const int32_t chosen = audioTrack();
    return audio::SoundSource{filmPaths_.front(), chosen < 0 ? -1 : audio::ChosenOrDefault(audioTracks(), chosen),
                              play::Micros(std::llround(film_->Duration() * 1e6))};
}

}  // namespace plexo
