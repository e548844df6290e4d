#pragma once
// Where decoded sound goes: a stream of interleaved 32-bit float samples at
// one rate, which reports the time of the sample being heard. The sound
// server's stream in the program (pulse_sink.h), a sink in memory in the
// tests.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace plexo::audio {

using Micros = int64_t;

struct SinkFormat {
    int rate = 48000;
    int channels = 2;
    size_t FrameBytes() const { return size_t(channels) * sizeof(float); }
};

class Sink {
public:
    virtual ~Sink() = default;
    // A new stream from time 0; false with `why` set when none can be had
    // (no server, a busy device), false with `why` empty when a Stop came
    // first.
    virtual bool Start(const SinkFormat& format, std::string& why) = 0;
    // The frames the stream takes now, waiting up to `timeoutMs` for room:
    // 0 when none came or the stream was stopped, -1 with `why` set when it
    // failed (its server went away).
    virtual long WaitWritable(int timeoutMs, std::string& why) = 0;
    // False with `why` set when the stream failed (its server went away).
    virtual bool Write(const float* samples, size_t frames, std::string& why) = 0;
    // The stream's time being heard now, counted from Start, its latency
    // included; nothing before the stream can tell.
    virtual std::optional<Micros> Heard() = 0;
    // Silence now: what was written and not heard is dropped, a waiting
    // WaitWritable returns, and so does a Start under way, at once, and
    // every Start after it until Resume: a Stop that lands before a Start
    // has made its stream still wins.
    virtual void Stop() = 0;
    // Starts may make streams again; called where no Start is under way.
    virtual void Resume() = 0;
    // 0..100; muted is silent whatever the volume.
    virtual void SetVolume(int percent, bool muted) = 0;
};

using SinkMaker = std::unique_ptr<Sink> (*)();

}  // namespace plexo::audio
