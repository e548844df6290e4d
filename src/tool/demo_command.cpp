// plexo-tool demo: writes the bundled demo film.

#include <cerrno>
#include <cstdio>

#include "convert/demo_film.h"
#include "tool/command.h"

namespace plexo::tool {

namespace {

int RunDemo(Args& args)
{
    if (!args.onlyKnown({}) || !args.plainCount(1, "OUT.flm"))
        return kBadUsage;
    const std::string& out = args.plain()[0];
    errno = 0;
    if (!WriteDemoFilm(out))
        return Fail(WriteFailure(out));
    std::printf("view with A=%d: plexo %s /stereo /A=%d\n", kDemoShift, out.c_str(), kDemoShift);
    return kOk;
}

const bool registered = RegisterCommand({"demo", "OUT.flm", {}, RunDemo});

}  // namespace
}  // namespace plexo::tool
