#include "present/startup_modes.h"

#include <algorithm>

#include "platform/log.h"
#include "present/display_modes.h"

namespace plexo {

std::optional<platform::OutputMode> StartupModes::Keep(const std::string& device)
{
    const std::optional<platform::OutputMode> shown = platform::ReadOutputMode(device);
    if (!shown)
        return std::nullopt;
    const bool known = std::any_of(kept_.begin(), kept_.end(),
                                   [&](const platform::OutputMode& k) { return k.output == shown->output; });
    if (!known) {
        kept_.push_back(*shown);
        if (onKept)
            onKept(*shown);
    }
    return shown;
}

void StartupModes::RestoreAll() const
{
    for (const platform::OutputMode& failed : platform::RestoreOutputModes(kept_))
        LogMessage("Display mode not restored: " + failed.output + " " + ModeLabel(failed.mode));
}

}  // namespace plexo
