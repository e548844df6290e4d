#pragma once
// The sink of the sound server, through PulseAudio's asynchronous client
// library on its threaded main loop (PipeWire desktops serve it through
// pipewire-pulse). Each Start is a new playback stream, so its time starts
// at 0; the connection to the server is kept between streams and made
// again when it was lost, so a server that comes later is used at the next
// Start. No call waits on the server longer than kMaxWaitMs.

#include <memory>

#include "audio/sink.h"

namespace plexo::audio {

inline constexpr int kMaxWaitMs = 100;

std::unique_ptr<Sink> MakePulseSink();

}  // namespace plexo::audio
