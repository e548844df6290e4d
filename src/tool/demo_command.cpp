// plexo-tool demo: writes the bundled demo film.

#include <cstdio>

#include "convert/demo_film.h"
#include "tool/command.h"

namespace plexo::tool {

namespace {

int RunDemo(Args& args)
{
    if (!args.onlyKnown({}) || args.plain().size() != 1)
        return kBadUsage;
    const std::string& out = args.plain()[0];
    if (!WriteDemoFilm(out)) {
        std::fprintf(stderr, "plexo-tool demo: cannot write %s\n", out.c_str());
        return kFailed;
    }
    return kOk;
}

const bool registered = RegisterCommand({"demo", "OUT.flm", {}, RunDemo});

}  // namespace
}  // namespace plexo::tool
