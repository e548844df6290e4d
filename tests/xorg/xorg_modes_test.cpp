// The display-mode layer and plexo-tool against a real X server that
// switches modes (with_xorg.sh starts it), checked with xrandr's own view of
// it. The Screen dialog's confirmation is the window tests' own, and the
// viewer script drives it on this server.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/display.h"
#include "present/display_modes.h"
#include "support/outside_programs.h"

namespace plexo::test {
namespace {

using platform::DisplayMode;

struct XrandrView {
    std::vector<DisplayMode> modes;
    std::optional<DisplayMode> current;
};

// The connected output's modes as `xrandr` lists them: "   WxH  60.00*+ 75.00".
XrandrView Xrandr()
{
    XrandrView view;
    std::istringstream lines(CommandOutput("xrandr"));
    bool inOutput = false;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string name, rate;
        int width = 0, height = 0;
        if (line.empty() || line[0] != ' ')
            inOutput = line.find(" connected") != std::string::npos;
        else if (inOutput && words >> name && std::sscanf(name.c_str(), "%dx%d", &width, &height) == 2)
            while (words >> rate) {
                const DisplayMode mode{32, width, height, int(std::lround(std::strtod(rate.c_str(), nullptr)))};
                view.modes.push_back(mode);
                if (rate.find('*') != std::string::npos)
                    view.current = mode;
            }
    }
    return view;
}

// plexo-tool modes runs the very listing the Screen dialog shows.
TEST(XorgModes, ToolListsWhatXrandrLists)
{
    const XrandrView xrandr = Xrandr();
    const DisplayModeList expected(xrandr.modes);
    std::string listing;
    for (const Item4i& item : expected.items())
        listing += ModeLabel(item.mode) + "\n";
    listing += "current: " + std::to_string(expected.IndexOf(xrandr.current)) + "\n";
    EXPECT_NE(listing.find("32 bits 1920 by 1080 pixels 120 Hz\n"), std::string::npos);
    const char* tool = std::getenv("PLEXO_TOOL");
    ASSERT_TRUE(tool);
    EXPECT_EQ(CommandOutput(std::string(tool) + " modes"), listing);
    EXPECT_EQ(platform::ReadDisplayModes("DUMMY0"), platform::ReadDisplayModes("display"));
    EXPECT_TRUE(platform::ReadDisplayModes("NOSUCH").empty());
}

TEST(XorgModes, SwitchesGrowAndShrinkTheScreenAndRefuseWhatIsNotOffered)
{
    // What Xorg starts in: one of its standard modes.
    const std::optional<DisplayMode> start = Xrandr().current;
    ASSERT_TRUE(start);
    for (const DisplayMode mode : {DisplayMode{32, 1920, 1080, 120}, DisplayMode{32, 1280, 720, 1}, *start}) {
        EXPECT_TRUE(platform::ApplyModeToDevice("", mode)) << ModeLabel(mode);
        EXPECT_TRUE(platform::ModeSatisfies(Xrandr().current.value_or(DisplayMode{}), mode)) << ModeLabel(mode);
        EXPECT_NE(CommandOutput("xrandr").find("current " + std::to_string(mode.width) + " x " +
                                               std::to_string(mode.height) + ","),
                  std::string::npos);
    }
    EXPECT_FALSE(platform::ApplyModeToDevice("Display", {32, 1280, 720, 75}));
    EXPECT_FALSE(platform::ApplyModeToDevice("Display", {16, 1280, 720, 60}));
    EXPECT_FALSE(platform::ApplyModeToDevice("NOSUCH", {32, 1280, 720, 60}));
    EXPECT_EQ(Xrandr().current, start);
}

}  // namespace
}  // namespace plexo::test
