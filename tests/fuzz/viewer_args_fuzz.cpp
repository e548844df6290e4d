// The viewer's command line: any words, split at NULs, parse without harm.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += char(data[i]);
    }
    const plexo::CPlexoCmdInfo info = plexo::ParseCommandLine(words);
    volatile size_t sink = info.fileName.size();
    (void)sink;
    return 0;
}
