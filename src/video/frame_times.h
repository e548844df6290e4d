#pragma once
// Where each frame of a video lies in time, by its index in presentation
// order: either at regular steps from the first frame (a container that
// states its count and rate) or as listed by a scan of the file's packets.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "video/video_file.h"

namespace plexo::video {

class FrameTimes {
public:
    // `count` frames every 1 / `rate` seconds from `first`, in `timeBase`.
    static FrameTimes Regular(int64_t count, int64_t first, double rate, AVRational timeBase);
    // The frames' times in presentation order.
    static FrameTimes Listed(std::vector<int64_t> times);

    int64_t Count() const { return count_; }
    // True when the count comes from the frames themselves, not a header.
    bool Counted() const { return !listed_.empty(); }
    int64_t TimeOf(int64_t index) const;
    // The index of the frame shown at `time`: the last one starting at or
    // before it, or the first.
    int64_t IndexAt(int64_t time) const;

private:
    int64_t count_ = 0;
    int64_t first_ = 0;
    // Time-base ticks a frame.
    double step_ = 1;
    std::vector<int64_t> listed_;
};

// Seconds of `count` frames at `rate` a second; 0 without a rate.
inline double PlayingTime(int64_t count, double rate)
{
    return rate > 0 ? double(count) / rate : 0;
}

// Reads every packet of the file's video stream `stream` (no decoding), on
// a worker thread while the calling thread waits as the current scan watcher
// (scan_watch.h) has it wait, and lists their times. Null when the file
// cannot be read or holds no packet of the stream.
std::optional<FrameTimes> ScanFrameTimes(const std::string& path, int stream);

// The times of a file that states its count and rate and whose index steps
// evenly at that rate, else those of a scan.
std::optional<FrameTimes> FrameTimesOf(const std::string& path, const VideoFile& file);

}  // namespace plexo::video
