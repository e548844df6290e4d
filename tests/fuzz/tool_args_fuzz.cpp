// plexo-tool's option parsing: any words, split at NULs, with the flags and
// value queries its subcommands use.
#include "fuzz_input.h"
#include "tool/command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using plexo::tool::Args;
    const std::vector<std::string> words = plexo::fuzz::SplitAtNuls(data, size);
    Args args(words, {"grey", "colour"});
    if (!args.ok())
        return 0;
    const auto index = args.integer("index");
    const auto view = args.size("view");
    if (view && (view->first < 0 || view->second < 0))
        __builtin_trap();
    if (index && !args.value("index"))
        __builtin_trap();
    args.onlyKnown({"index", "view", "out"});
    return 0;
}
