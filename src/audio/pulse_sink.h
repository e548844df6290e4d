#pragma once
// The sink of the sound server, through PulseAudio's asynchronous client
// library on its threaded main loop (PipeWire desktops serve it through
// pipewire-pulse). Each Start is a new playback stream, so its time starts
// at 0; the connection to the server is kept between streams and made
// again when it was lost, so a server that comes later is used at the next
// Start. Start gives the server up to kStartWaitMs to connect and as long
// again to take the stream, for a server under load answers in seconds; a
// Stop ends that wait at once, so whoever stops never waits on the server.
// WaitWritable waits no longer than it is asked to.

#include <functional>
#include <memory>

#include "audio/sink.h"

namespace plexo::audio {

inline constexpr int kStartWaitMs = 5000;

// Which of Start's waits on the server is under way.
enum class StartWait { Server, Stream };

// `whileStartWaits`, for the tests, runs on Start's thread once at each of
// Start's waits on the server, just before it waits, under the loop's lock
// (which its thread may take again): a Stop it makes lands as one made while
// Start waits, before the server answers.
std::unique_ptr<Sink> MakePulseSink(std::function<void(StartWait)> whileStartWaits = {});

}  // namespace plexo::audio
