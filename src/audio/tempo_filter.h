#pragma once
// Sound played faster or slower with its pitch kept: libavfilter's atempo,
// aligned so that the output's sample k is the input's at k times the
// speed. atempo alone drops a few tens of milliseconds at its start, which
// would put every sound after a Play early by that much; the filter learns
// how much by running a click through a twin once, and leads the input
// with as much silence.

#include <memory>
#include <string>
#include <vector>

#include "audio/sink.h"

namespace plexo::audio {

class TempoFilter {
public:
    ~TempoFilter();
    // Null with `why` set when the filter cannot be made.
    static std::unique_ptr<TempoFilter> Make(const SinkFormat& format, double speed, std::string& why);
    // Takes interleaved samples (none: the end of the input) and appends
    // what comes out; false with `why` set when the filter fails.
    bool Push(const std::vector<float>& in, std::vector<float>& out, std::string& why);
    // Everything has come out after the end was pushed.
    bool Ended() const { return ended_; }

    struct Graph;

private:
    TempoFilter() = default;
    std::unique_ptr<Graph> graph_;
    SinkFormat format_;
    double speed_ = 1;
    // Frames taken in and given out, by which the end is cut.
    long taken_ = 0;
    long given_ = 0;
    // Output frames still to drop, where atempo delays rather than drops.
    long drop_ = 0;
    // What came out while the lead went in, given with the first Push.
    std::vector<float> early_;
    bool ended_ = false;
};

}  // namespace plexo::audio
