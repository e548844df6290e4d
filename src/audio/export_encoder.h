#pragma once
// The sound of an exported video encoded to AAC by FFmpeg's own encoder,
// for a codec the container does not take as it is. The encoder takes at
// most 8 channels, at a rate of its own list: a sound of more channels keeps
// its first ones, as many as a layout of the encoder holds, and a sound at
// any other rate is resampled to 48 kHz, so that no sound is refused.

#include <memory>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

#include "audio/sound_decoder.h"

namespace plexo::audio {

// The sound's packets, in the order and time base of the output stream.
class SoundPackets {
public:
    virtual ~SoundPackets() = default;
    // The next packet; false at the end, or on failure with `why` set.
    virtual bool Next(AVPacket& packet, std::string& why) = 0;
};

// The samples of `decoder` from film time `from` on, encoded into `out` at
// that time; this sets the stream's parameters and time base. Null with
// `why` set when the decoder cannot start there or no AAC encoder starts.
// The decoder must outlive the packets.
std::unique_ptr<SoundPackets> EncodeToAac(SoundDecoder& decoder, Micros from, AVStream& out, bool globalHeader,
                                          std::string& why);

}  // namespace plexo::audio
