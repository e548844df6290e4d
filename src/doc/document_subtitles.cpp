// The film's subtitle choice, kept in its record in the "Films" section.

#include "doc/document.h"

namespace plexo {

namespace {

constexpr const char* kSubtitlesField = "subtitles";
constexpr const char* kSubtitleDepthField = "subtitle-depth";
// Far beyond any film's count of tracks.
constexpr int32_t kMaxSubtitleTrack = 1000;

}  // namespace

std::optional<int32_t> CPlexoDoc::subtitleTrack() const
{
    const auto track = record_.Number(kSubtitlesField, kMaxSubtitleTrack);
    return track && *track >= 0 ? track : std::nullopt;
}

void CPlexoDoc::setSubtitleTrack(std::optional<int32_t> track)
{
    if (track && *track >= 0 && *track <= kMaxSubtitleTrack)
        record_.SetNumber(kSubtitlesField, *track);
    else
        record_.Erase(kSubtitlesField);
    KeepAdjustments();
}

std::string CPlexoDoc::subtitleDepth() const
{
    return record_.Word(kSubtitleDepthField).value_or("auto");
}

void CPlexoDoc::setSubtitleDepth(const std::string& depth)
{
    if (depth == "auto")
        record_.Erase(kSubtitleDepthField);
    else
        record_.SetWord(kSubtitleDepthField, depth);
    KeepAdjustments();
}

}  // namespace plexo
