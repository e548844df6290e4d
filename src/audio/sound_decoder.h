#pragma once
// One audio stream of a video decoded onto the film's time line: samples
// from a film time on, at a speed, as the sink takes them. The picture's
// timestamps rule: film time 0 is the first picture; sound before it is
// dropped, gaps play as silence, and the sound ends where the picture ends,
// padded with silence up to there or cut there.

#include <cstddef>
#include <memory>
#include <string>

#include "audio/sink.h"

struct SwrContext;

namespace plexo::audio {

// The most channels a sound is played or exported with: one with more keeps
// its first ones.
inline constexpr int kMostChannels = 8;

// Frees a resampler, for the unique_ptr that holds one.
struct ResamplerFreer {
    void operator()(SwrContext* resampler) const;
};

class SoundDecoder {
public:
    ~SoundDecoder();
    // Stream `track` of the file (-1: its default sound), ending at
    // `pictureLength` (0: where the file says its picture ends); null with `why`
    // set when the file has no such sound or its decoder cannot be had, and
    // empty when it is a video without sound.
    static std::unique_ptr<SoundDecoder> Open(const std::string& path, int track, Micros pictureLength,
                                              std::string& why);

    // The format the samples come in: the stream's own rate and channels.
    SinkFormat Format() const { return format_; }

    // Decoding starts again at film time `from` (before 0: silence up to
    // it), the pitch kept at `speed`
    // (0.5 to 2). False with `why` set when the stream cannot seek there.
    bool Restart(Micros from, double speed, std::string& why);
    // Up to `frames` frames into `into`: their count, 0 at the picture's end,
    // -1 with `why` set when the stream cannot be decoded.
    long Read(float* into, size_t frames, std::string& why);
    // The frames made and not yet read: a gap's silence is made a chunk at
    // a time, so this stays small however long the gap.
    size_t Held() const;

    // Its FFmpeg side, in the source file.
    struct Parts;

private:
    SoundDecoder();
    std::unique_ptr<Parts> parts_;
    SinkFormat format_;
};

}  // namespace plexo::audio
