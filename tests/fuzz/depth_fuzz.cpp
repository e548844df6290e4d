// The subtitle depth of the command line and the film's record: any text
// gives a choice within the fixed bound, written back to the same choice,
// or nothing.
#include <string>

#include "subtitle/subtitle_depth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::subtitle;
    const std::optional<DepthChoice> choice = ParseDepth(std::string(reinterpret_cast<const char*>(data), size));
    if (!choice)
        return 0;
    if (ParseDepth(DepthText(*choice)) != choice || choice->fixed < -kMaxFixedDepth || choice->fixed > kMaxFixedDepth ||
        (choice->mode != DepthMode::Fixed && choice->fixed != 0))
        __builtin_trap();
    return 0;
}
