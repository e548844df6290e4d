#pragma once
// A sink in memory: each Start opens a new stream whose samples are kept,
// the time heard is what the test says, and it fails where the test says.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "audio/sink.h"

namespace plexo::test {

struct FakeSinkState {
    std::mutex lock;
    audio::SinkFormat format;
    // The samples of every stream started, the last one last.
    std::vector<std::vector<float>> streams;
    std::optional<audio::Micros> heard;
    int stops = 0;
    // Set: the next Start, or a write, fails with this reason.
    std::string startFailure, writeFailure;
    // Stop to Resume: a Start ends without a reason. Runs as a Start begins.
    bool stopped = false;
    std::function<void()> duringStart;
};

class FakeSink final : public audio::Sink {
public:
    explicit FakeSink(FakeSinkState& state) : s_(state) {}
    bool Start(const audio::SinkFormat& format, std::string& why) override
    {
        if (s_.duringStart)
            s_.duringStart();
        std::lock_guard hold(s_.lock);
        s_.format = format;
        s_.streams.emplace_back();
        return (why = s_.stopped ? "" : s_.startFailure).empty() && !s_.stopped;
    }
    long WaitWritable(int, std::string&) override { return 4800; }
    bool Write(const float* samples, size_t frames, std::string& why) override
    {
        std::lock_guard hold(s_.lock);
        s_.streams.back().insert(s_.streams.back().end(), samples, samples + frames * size_t(s_.format.channels));
        return (why = s_.writeFailure).empty();
    }
    std::optional<audio::Micros> Heard() override
    {
        std::lock_guard hold(s_.lock);
        return s_.heard;
    }
    void Stop() override
    {
        std::lock_guard hold(s_.lock);
        ++s_.stops;
        s_.stopped = true;
    }
    void Resume() override { s_.stopped = false; }
    void SetVolume(int, bool) override {}

private:
    FakeSinkState& s_;
};

}  // namespace plexo::test
