// The sound decoder over a file: its default track placed on the picture's
// time line (sound before the picture dropped, gaps silent, the end cut or
// padded) from a time and at a speed the input picks, a bounded number of
// frames read, then again from the start at the film's own speed.
#include <string>
#include <vector>

#include "audio/sound_decoder.h"
#include "fuzz_input.h"

namespace {

// The frames read after each Restart: a file may state hours of picture.
constexpr size_t kMostFrames = 1 << 15;
constexpr size_t kChunk = 2048;
constexpr double kSpeeds[] = {1, 0.5, 1.5, 2};

void ReadSome(plexo::audio::SoundDecoder& decoder)
{
    std::vector<float> into(kChunk * size_t(decoder.Format().channels));
    std::string why;
    for (size_t read = 0; read < kMostFrames;) {
        const long n = decoder.Read(into.data(), kChunk, why);
        if (n < 0 && why.empty())
            __builtin_trap();
        if (n <= 0)
            return;
        if (size_t(n) > kChunk)
            __builtin_trap();
        read += size_t(n);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::audio;
    const std::string path = plexo::fuzz::WriteInput("input", data, size);
    const uint8_t pick = size ? data[size / 2] : 0;
    // Half the inputs end where the file says, half at a length of their own.
    const Micros length = pick % 2 ? 0 : Micros(pick) * 40000;
    std::string why;
    const std::unique_ptr<SoundDecoder> decoder = SoundDecoder::Open(path, -1, length, why);
    if (!decoder)
        return 0;
    for (const bool again : {false, true}) {
        if (decoder->Restart(again ? 0 : Micros(pick) * 20000, again ? 1 : kSpeeds[pick % 4], why))
            ReadSome(*decoder);
        else if (why.empty())
            __builtin_trap();
    }
    return 0;
}
