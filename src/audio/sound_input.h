#pragma once
// A video file's demuxer opened for its sound: the audio streams it holds
// and where its picture starts, whose timestamps rule. A demuxer of its own,
// opened by the video layer's safe reader, beside the one the video's
// decoder thread seeks about in for its frame cache.

#include <string>
#include <vector>

#include "audio/audio_tracks.h"
#include "video/video_input.h"

namespace plexo::audio {

struct SoundInput {
    video::InputHandle format;
    std::vector<AudioTrack> tracks;
    // The first picture's time and the picture's end, in microseconds of
    // the file; the end is 0 when the file states no duration.
    int64_t pictureStartUs = 0;
    int64_t pictureEndUs = 0;
    explicit operator bool() const { return format != nullptr; }
};

// Null format with `why` set when the file does not open as a video.
SoundInput OpenSoundInput(const std::string& path, std::string& why);

}  // namespace plexo::audio
