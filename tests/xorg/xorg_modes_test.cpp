// The display-mode layer and plexo-tool against a real X server that
// switches modes, checked with xrandr's own view of it. The Screen dialog's
// confirmation is the window tests' own, and the restore script drives it on
// this server.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/display.h"
#include "present/display_modes.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "xorg/xorg_server.h"

namespace plexo::test {
namespace {

using platform::DisplayMode;

struct XrandrView {
    std::vector<DisplayMode> modes;
    std::optional<DisplayMode> current;
};

// The connected output's modes as `xrandr` lists them: "   WxH  60.00*+ 75.00".
XrandrView Xrandr(const std::string& server)
{
    XrandrView view;
    std::istringstream lines(CommandOutput("xrandr --display " + server));
    std::string line;
    bool inOutput = false;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] != ' ') {
            inOutput = line.find(" connected") != std::string::npos;
            continue;
        }
        std::istringstream words(line);
        std::string name, rate;
        int width = 0, height = 0;
        if (!inOutput || !(words >> name) || std::sscanf(name.c_str(), "%dx%d", &width, &height) != 2)
            continue;
        while (words >> rate) {
            const DisplayMode mode{32, width, height, int(std::lround(std::strtod(rate.c_str(), nullptr)))};
            view.modes.push_back(mode);
            if (rate.find('*') != std::string::npos)
                view.current = mode;
        }
    }
    return view;
}

std::string Listing(const List4i& list, int current)
{
    std::string text;
    for (const Item4i& item : list.items())
        text += ModeLabel(item.mode) + "\n";
    return text + "current: " + std::to_string(current) + "\n";
}

const DisplayMode kWide{32, 1280, 720, 60};

class XorgModes : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        log_ = new TempDir;
        server_ = new XorgServer(std::string(PLEXO_XORG_CONFIG), (log_->path() / "xorg.log").string());
    }
    static void TearDownTestSuite()
    {
        delete server_;
        delete log_;
    }
    void SetUp() override
    {
        ASSERT_TRUE(server_->running()) << "Xorg did not start; see " << (log_->path() / "xorg.log");
        devices_ = platform::OpenXRandRDevices(server_->name());
        ASSERT_TRUE(devices_);
        previous_ = platform::SetDisplayDevices(devices_);
        start_ = Xrandr(Server()).current;
        ASSERT_TRUE(start_);
        ASSERT_NE(start_, kWide);
    }
    void TearDown() override { platform::SetDisplayDevices(previous_); }

    std::string Server() const { return server_->name(); }

    static TempDir* log_;
    static XorgServer* server_;
    std::shared_ptr<platform::DisplayDevices> devices_, previous_;
    // What Xorg starts in: one of its standard modes.
    std::optional<DisplayMode> start_;
};

TempDir* XorgModes::log_ = nullptr;
XorgServer* XorgModes::server_ = nullptr;

TEST_F(XorgModes, ListsWhatXrandrLists)
{
    const XrandrView xrandr = Xrandr(Server());
    const List4i expected(xrandr.modes);
    const List4i listed(platform::ReadDisplayModes());
    const std::string listing = Listing(expected, expected.IndexOf(xrandr.current));
    EXPECT_EQ(Listing(listed, listed.IndexOf(platform::ReadCurrentMode())), listing);
    EXPECT_NE(listing.find("32 bits 1920 by 1080 pixels 120 Hz\n"), std::string::npos);
    EXPECT_EQ(platform::ReadDisplayModes("DUMMY0"), platform::ReadDisplayModes("display"));
    EXPECT_TRUE(platform::ReadDisplayModes("NOSUCH").empty());

    const char* tool = std::getenv("PLEXO_TOOL");
    ASSERT_TRUE(tool);
    EXPECT_EQ(CommandOutput("DISPLAY=" + Server() + " " + tool + " modes"), listing);
}

TEST_F(XorgModes, SwitchesGrowAndShrinkTheScreenAndRefuseWhatIsNotOffered)
{
    for (const DisplayMode mode : {DisplayMode{32, 1920, 1080, 120}, DisplayMode{32, 1280, 720, 1}, *start_}) {
        EXPECT_TRUE(platform::ApplyModeToDevice("", mode)) << ModeLabel(mode);
        EXPECT_TRUE(platform::ModeSatisfies(*Xrandr(Server()).current, mode)) << ModeLabel(mode);
        EXPECT_NE(CommandOutput("xrandr --display " + Server())
                      .find("current " + std::to_string(mode.width) + " x " + std::to_string(mode.height) + ","),
                  std::string::npos);
    }
    EXPECT_FALSE(platform::ApplyModeToDevice("Display", {32, 1280, 720, 75}));
    EXPECT_FALSE(platform::ApplyModeToDevice("Display", {16, 1280, 720, 60}));
    EXPECT_FALSE(platform::ApplyModeToDevice("NOSUCH", {32, 1280, 720, 60}));
    EXPECT_EQ(Xrandr(Server()).current, start_);
}

}  // namespace
}  // namespace plexo::test
