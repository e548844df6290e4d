// The viewer's command line: any words, split at NULs, parse without harm.
#include "doc/command_line.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string> words = plexo::fuzz::SplitAtNuls(data, size);
    const plexo::CPlexoCmdInfo info = plexo::ParseCommandLine(words);
    volatile size_t sink = info.fileName.size();
    (void)sink;
    return 0;
}
