// SubRip and WebVTT cues over any text: every cue read has a positive
// length, and its text goes to libass's dialogue form whole.
#include "fuzz_input.h"
#include "subtitle/text_cues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::subtitle;
    plexo::fuzz::ScratchFolder();
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const CueFormat format : {CueFormat::SubRip, CueFormat::WebVtt})
        for (const TextEvent& event : ReadCues(text, format))
            if (event.durationMs <= 0 || event.startMs < 0 || event.text.size() > 4 * size + 16)
                __builtin_trap();
    return 0;
}
