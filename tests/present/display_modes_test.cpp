#include <gtest/gtest.h>

#include "platform/log.h"
#include "present/display_modes.h"
#include "present/mode_switch.h"
#include "support/fake_display.h"

namespace plexo {
namespace {

using platform::DisplayMode;

std::vector<std::string> Labels(const List4i& list)
{
    std::vector<std::string> labels;
    for (const Item4i& item : list.items())
        labels.push_back(std::to_string(item.number) + " " + ModeLabel(item.mode));
    return labels;
}

TEST(List4i, SortsByBitsWidthHeightRateAndSkipsBelow8Bits)
{
    const List4i list({{32, 640, 480, 60}, {16, 640, 480, 60}, {4, 640, 480, 60}, {8, 800, 600, 60}, {8, 640, 480, 75},
                       {8, 640, 400, 70}, {8, 640, 480, 60}, {32, 640, 480, 60}, {8, 640, 480, 0}});
    EXPECT_EQ(Labels(list), (std::vector<std::string>{
                                "0 8 bits 640 by 400 pixels 70 Hz", "1 8 bits 640 by 480 pixels, Default refresh",
                                "2 8 bits 640 by 480 pixels 60 Hz", "3 8 bits 640 by 480 pixels 75 Hz",
                                "4 8 bits 800 by 600 pixels 60 Hz", "5 16 bits 640 by 480 pixels 60 Hz",
                                "6 32 bits 640 by 480 pixels 60 Hz", "7 32 bits 640 by 480 pixels 60 Hz"}));
    EXPECT_EQ(list.IndexOf(DisplayMode{32, 640, 480, 60}), 6);
    EXPECT_EQ(list.IndexOf(DisplayMode{32, 1024, 768, 60}), 0);
    EXPECT_EQ(list.IndexOf(std::nullopt), 0);
    EXPECT_EQ(list.Find(8), nullptr);
    EXPECT_EQ(list.Find(-1), nullptr);
}

const DisplayMode kSmall{32, 1024, 768, 60}, kWide{32, 1280, 720, 60}, kLarge{32, 1920, 1080, 60};

class ModeSwitchTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::ClearLog();
        fake->modes = {kLarge, kSmall, kWide};
        fake->current = kSmall;
        list = List4i(fake->modes);
    }

    test::FakeDisplayScope fake;
    List4i list;
};

// The list is small, wide, large; the display shows the small mode, and the
// switch is not confirmed. The Screen dialog's tests keep or revert a switch
// the display obeys.
struct SwitchCase {
    const char* name;
    char display;  // '-' obeys, 'r' refuses, 'l' lands in the large mode, 'b' refuses the switch back, 'g' is gone
    int selected;
    ModeSwitch::Result result;
    int selection, asked;
    std::vector<DisplayMode> applied;
    const char* log;
};

class ModeSwitching : public ModeSwitchTest, public testing::WithParamInterface<SwitchCase> {};

TEST_P(ModeSwitching, RefusedOrUnconfirmedLeavesTheFormerMode)
{
    const SwitchCase& c = GetParam();
    fake->refuse = c.display == 'r';
    fake->gone = c.display == 'g';
    if (c.display == 'l')
        fake->landsIn = kLarge;
    int asked = 0;
    const auto confirm = [&] {
        ++asked;
        fake->refuse = c.display == 'b';
        return false;
    };
    StartupModes startup;
    const ModeSwitch outcome = SwitchToListedMode(list, c.selected, confirm, startup);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.selection, c.selection);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(fake->applied, c.applied);
    // A refused switch back leaves the new mode.
    EXPECT_EQ(fake->current, c.display == 'b' ? kWide : kSmall);
    EXPECT_EQ(platform::LogText(), c.log);
}

constexpr const char* kNotSet = "\r\nDisplay mode not set: 32 bits 1280 by 720 pixels 60 Hz";

INSTANTIATE_TEST_SUITE_P(
    Displays, ModeSwitching,
    testing::Values(SwitchCase{"CurrentEntry", '-', 0, ModeSwitch::kNothing, 0, 0, {}, ""},
                    SwitchCase{"Refused", 'r', 1, ModeSwitch::kRefused, 0, 0, {kWide}, kNotSet},
                    // The switch left 1920 by 1080; the undo puts 1024 by 768 back.
                    SwitchCase{"LandsElsewhere", 'l', 1, ModeSwitch::kRefused, 0, 0, {kWide, kSmall}, kNotSet},
                    SwitchCase{"SwitchBackFails", 'b', 1, ModeSwitch::kReverted, 0, 1, {kWide, kSmall},
                               "\r\nDisplay mode not restored: 32 bits 1024 by 768 pixels 60 Hz"},
                    SwitchCase{"DisplayGone", 'g', 1, ModeSwitch::kRefused, 0, 0, {kWide}, kNotSet}),
    [](const auto& info) { return std::string(info.param.name); });

// Each output is kept once, before its first switch, and told at once; at
// exit each goes back to that first mode. A mode shown already is not set.
TEST_F(ModeSwitchTest, EveryOutputSwitchedGetsItsFirstModeBack)
{
    EXPECT_TRUE(platform::ApplyModeToDevice("Display", kSmall));
    EXPECT_TRUE(fake->applied.empty());
    StartupModes startup;
    std::vector<platform::OutputMode> told;
    startup.onKept = [&](const platform::OutputMode& kept) { told.push_back(kept); };
    EXPECT_EQ(SwitchToListedMode(list, 1, [] { return true; }, startup).result, ModeSwitch::kKept);
    EXPECT_EQ(startup.Keep("HDMI-2"), (platform::OutputMode{"HDMI-2", kWide}));
    EXPECT_EQ(SwitchToListedMode(list, 2, [] { return true; }, startup).result, ModeSwitch::kKept);
    const std::vector<platform::OutputMode> first{{"Display", kSmall}, {"HDMI-2", kWide}};
    EXPECT_EQ(told, first);
    fake->applied.clear();
    startup.RestoreAll();
    EXPECT_EQ(fake->applied, (std::vector<DisplayMode>{kSmall, kWide}));
}

}  // namespace
}  // namespace plexo
