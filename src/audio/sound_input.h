#pragma once
// A video file's demuxer opened for its sound: the audio streams it holds
// and where its picture starts, whose timestamps rule. A demuxer of its own,
// opened by the video layer's safe reader, beside the one the video's
// decoder thread seeks about in for its frame cache.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_tracks.h"
#include "video/video_input.h"

namespace plexo::audio {

// Times farther than this from 0 (some 36,000 years) are none a film has: a
// clock that states them is broken, and the sums of two such times still
// fit.
inline constexpr int64_t kFarthestUs = int64_t(1) << 60;
// The time in microseconds when within kFarthestUs of 0.
std::optional<int64_t> MicrosOf(int64_t time, AVRational base);

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
