#pragma once
// A video's own subtitle streams, read through the video layer's demuxer
// (the same regular-file reader and list of containers). Text streams
// (SubRip, ASS/SSA, WebVTT, mov_text) are decoded by libavcodec to ASS
// events and rendered by libass with the file's attached fonts; picture
// streams (PGS, DVB, DVD) are decoded by libavcodec to their bitmaps.

#include <string>
#include <vector>

#include "subtitle/subtitle_tracks.h"

namespace plexo::subtitle {

// The subtitle streams of the video at `path`; none for a file that holds
// no video container.
std::vector<SubtitleTrack> SubtitleStreams(const std::string& path);

// Every event of stream `stream`, read once over the whole file (the file is
// at hand, and the depth looks over events ahead). Null, with `why` set,
// when it cannot be read or decoded.
SubtitleSourcePtr OpenSubtitleStream(const std::string& path, int stream, std::string& why);

}  // namespace plexo::subtitle
