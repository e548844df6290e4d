#pragma once
// The subtitle tracks a film offers, as View > Subtitles lists them and
// --subtitles names them: the video's own streams, then the files beside it.

#include <cstdint>
#include <string>
#include <vector>

#include "subtitle/subtitle_source.h"

namespace plexo::subtitle {

struct SubtitleTrack {
    // The video's stream index, -1 for a file.
    int stream = -1;
    // The file beside the film.
    std::string file;
    std::string language;
    std::string title;
    // The stream's codec ("subrip", "hdmv_pgs_subtitle", ...).
    std::string codec;
    bool isDefault = false;
};

// "English — Commentary (subrip)", "film.en.srt": what the menu shows.
std::string TrackLabel(const SubtitleTrack& track);

// The video's subtitle streams (none for any other film), then the files
// beside the film in name order.
std::vector<SubtitleTrack> SubtitleTracks(const std::string& filmPath);

// The number (from 1) of the track the viewer shows while none is chosen:
// the first file beside the film, for a video's own stream is read over the
// whole file, which would keep the user waiting; 0 when there is none.
int32_t UnaskedTrack(const std::vector<SubtitleTrack>& tracks);

// The track `--subtitles` names: "default" (the video's default stream,
// else its first, else the first file), a track's number from 1 in the
// list's order, or a subtitle file's path (any file, not only one beside the
// film). Null with `why` set when there is none or it cannot be read.
SubtitleSourcePtr OpenSubtitles(const std::string& filmPath, const std::string& which, std::string& why);

// The subtitles of one track of the film's.
SubtitleSourcePtr OpenTrack(const std::string& filmPath, const SubtitleTrack& track, std::string& why);

}  // namespace plexo::subtitle
