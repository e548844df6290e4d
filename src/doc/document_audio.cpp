// The sound track chosen for a video, kept in its record of the "Films"
// section.

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

}  // namespace plexo
