#pragma once
// A page flipper over the in-memory display with a driver registered through
// a scratch registry file: the fake drivers of fake_drivers/ by variant, or
// any folder.

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "present/dd_flipper.h"
#include "support/memory_display.h"
#include "support/temp_dir.h"

namespace plexo::test {

inline std::string FakeDriverFolder(const std::string& variant)
{
    return std::string(PLEXO_FAKE_DRIVERS) + "/" + variant;
}

class FlipperFixture {
public:
    // The registry names `folder` (none when empty), with `extraLines` after.
    explicit FlipperFixture(const std::string& folder, const std::string& extraLines = "")
    {
        std::string text;
        if (!folder.empty())
            text = "[SOFTWARE\\K3V]\nKORVA=" + folder + "\n";
        text += extraLines;
        WriteBytes(dir.file("registry.ini"), {text.begin(), text.end()});
        setenv("PLEXO_REGISTRY", dir.file("registry.ini").c_str(), 1);
        platform::SetDisplayOutput(display);
        flipper.host.mainWindow = this;
        flipper.host.windowRect = [] { return K3V_Rect{30, 40, 330, 440}; };
        flipper.host.moveWindow = [this](const K3V_Rect& r) {
            events.push_back("move " + std::to_string(r.left) + " " + std::to_string(r.bottom));
        };
        flipper.host.invalidateAll = [this] { events.push_back("invalidate"); };
        flipper.host.readMode = [](const std::string&) {
            return std::optional<platform::DisplayMode>({24, 64, 48, 75});
        };
        flipper.host.keepMode = [](const std::string& device) {
            return std::optional<platform::OutputMode>({device, {24, 64, 48, 75}});
        };
        flipper.host.applyMode = [this](const std::string& device, const platform::DisplayMode& m) {
            events.push_back("apply " + device + " " + std::to_string(m.bitsPerPixel) + " " + std::to_string(m.width) +
                             " " + std::to_string(m.height) + " " + std::to_string(m.refreshRate));
        };
    }
    ~FlipperFixture()
    {
        flipper.Close();
        flipper.ReleaseDirectDraw();
        platform::SetDisplayOutput(nullptr);
        unsetenv("PLEXO_REGISTRY");
    }

    int chainIndex(K3V_Surface* s) const
    {
        const auto chain = display->chain();
        return int(std::find(chain.begin(), chain.end(), s) - chain.begin());
    }

    TempDir dir;
    std::shared_ptr<platform::MemoryDisplay> display = std::make_shared<platform::MemoryDisplay>(64, 48);
    DDFlipper flipper;
    std::vector<std::string> events;
};

}  // namespace plexo::test
