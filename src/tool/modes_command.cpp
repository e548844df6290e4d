// plexo-tool modes: the display modes as the Screen dialog lists them, then
// the entry it selects first. Changes nothing.

#include <cstdio>

#include "platform/display.h"
#include "present/display_modes.h"
#include "tool/command.h"

namespace plexo::tool {

namespace {

int RunModes(Args& args)
{
    if (!args.onlyKnown({}) || !args.plainCount(0, ""))
        return kBadUsage;
    const DisplayModeList list(platform::ReadDisplayModes());
    for (const Item4i& item : list.items())
        std::printf("%s\n", ModeLabel(item.mode).c_str());
    std::printf("current: %d\n", list.IndexOf(platform::ReadCurrentMode()));
    return kOk;
}

const bool registered = RegisterCommand({"modes", "", {}, RunModes});

}  // namespace
}  // namespace plexo::tool
