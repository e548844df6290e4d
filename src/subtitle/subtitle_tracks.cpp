#include "subtitle/subtitle_tracks.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "subtitle/stream_subtitles.h"
#include "subtitle/subtitle_file.h"

namespace plexo::subtitle {

std::string TrackLabel(const SubtitleTrack& track)
{
    if (track.stream < 0)
        return std::filesystem::path(track.file).filename().string();
    std::string label = track.language.empty() ? "Stream " + std::to_string(track.stream) : track.language;
    if (!track.title.empty())
        label += " \xE2\x80\x94 " + track.title;
    if (!track.codec.empty())
        label += " (" + track.codec + ")";
    return label;
}

std::vector<SubtitleTrack> SubtitleTracks(const std::string& filmPath)
{
    std::vector<SubtitleTrack> tracks = SubtitleStreams(filmPath);
    for (const std::string& file : SubtitleFilesBeside(filmPath)) {
        SubtitleTrack track;
        track.file = file;
        track.language = FileLanguage(filmPath, file);
        tracks.push_back(std::move(track));
    }
    return tracks;
}

int32_t UnaskedTrack(const std::vector<SubtitleTrack>& tracks)
{
    const auto file = std::find_if(tracks.begin(), tracks.end(), [](const SubtitleTrack& t) { return t.stream < 0; });
    return file == tracks.end() ? 0 : int32_t(file - tracks.begin()) + 1;
}

SubtitleSourcePtr OpenTrack(const std::string& filmPath, const SubtitleTrack& track, std::string& why)
{
    if (track.stream >= 0)
        return OpenSubtitleStream(filmPath, track.stream, why);
    return OpenSubtitleFile(track.file, why);
}

SubtitleSourcePtr OpenSubtitles(const std::string& filmPath, const std::string& which, std::string& why)
{
    int number = 0;
    const char* end = which.data() + which.size();
    const auto [ptr, error] = std::from_chars(which.data(), end, number);
    const bool isNumber = !which.empty() && error == std::errc() && ptr == end;
    if (which != "default" && !isNumber)
        return OpenSubtitleFile(which, why);
    const std::vector<SubtitleTrack> tracks = SubtitleTracks(filmPath);
    if (tracks.empty()) {
        why = "the film has no subtitles";
        return nullptr;
    }
    if (isNumber) {
        if (number < 1 || size_t(number) > tracks.size()) {
            why = "the film has " + std::to_string(tracks.size()) + " subtitle track" +
                  (tracks.size() == 1 ? "" : "s") + ", not " + which;
            return nullptr;
        }
        return OpenTrack(filmPath, tracks[size_t(number - 1)], why);
    }
    const auto chosen = std::find_if(tracks.begin(), tracks.end(), [](const SubtitleTrack& t) { return t.isDefault; });
    return OpenTrack(filmPath, chosen != tracks.end() ? *chosen : tracks.front(), why);
}

}  // namespace plexo::subtitle
