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

TEST(List4i, FiveHundredModesStayNumbered)
{
    std::vector<DisplayMode> modes;
    for (int i = 500; i > 0; --i)
        modes.push_back({32, 640 + i, 480, 60});
    const List4i list(modes);
    ASSERT_EQ(list.items().size(), 500u);
    EXPECT_EQ(list.IndexOf(DisplayMode{32, 1140, 480, 60}), 499);
    EXPECT_EQ(ModeLabel(list.Find(0)->mode), "32 bits 641 by 480 pixels 60 Hz");
}

class ModeSwitchTest : public testing::Test {
protected:
    const DisplayMode small{32, 1024, 768, 60};
    const DisplayMode wide{32, 1280, 720, 60};
    const DisplayMode large{32, 1920, 1080, 60};

    void SetUp() override
    {
        platform::ClearLog();
        fake->modes = {large, small, wide};
        fake->current = small;
        list = List4i(fake->modes);
    }

    // Switches to `selected`, answering the confirmation with `keep`.
    ModeSwitch Switch(int selected, bool keep)
    {
        return SwitchToListedMode(list, selected, [&] {
            ++asked;
            return keep;
        });
    }

    test::FakeDisplayScope fake;
    List4i list;
    int asked = 0;
};

TEST_F(ModeSwitchTest, CurrentEntryDoesNothingEvenWhenTheModeIsNotListed)
{
    for (const DisplayMode shown : {small, DisplayMode{32, 800, 600, 60}}) {
        fake->current = shown;
        EXPECT_EQ(Switch(0, true).result, ModeSwitch::kNothing);
    }
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(fake->applied.empty());
}

TEST_F(ModeSwitchTest, UnconfirmedSwitchGoesBackAndReselectsConfirmedOneStays)
{
    const ModeSwitch reverted = Switch(2, false);
    EXPECT_EQ(reverted.result, ModeSwitch::kReverted);
    EXPECT_EQ(reverted.selection, 0);
    EXPECT_EQ(fake->applied, (std::vector<DisplayMode>{large, small}));
    EXPECT_EQ(fake->current, small);
    const ModeSwitch kept = Switch(1, true);
    EXPECT_EQ(kept.result, ModeSwitch::kKept);
    EXPECT_EQ(kept.selection, 1);
    EXPECT_EQ(fake->current, wide);
}

TEST_F(ModeSwitchTest, RefusedSwitchIsLoggedAndNotConfirmed)
{
    fake->refuse = true;
    const ModeSwitch outcome = Switch(1, true);
    EXPECT_EQ(outcome.result, ModeSwitch::kRefused);
    EXPECT_EQ(outcome.selection, 0);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(platform::LogText(), "\r\nDisplay mode not set: 32 bits 1280 by 720 pixels 60 Hz");
}

TEST_F(ModeSwitchTest, SwitchIntoAnotherModeIsUndone)
{
    fake->landsIn = large;
    const ModeSwitch outcome = Switch(1, true);
    EXPECT_EQ(outcome.result, ModeSwitch::kRefused);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(fake->applied, (std::vector<DisplayMode>{wide, small}));
    // The failed switch left 1920 by 1080; the undo put 1024 by 768 back.
    EXPECT_EQ(fake->current, small);
    EXPECT_EQ(outcome.selection, 0);
}

TEST_F(ModeSwitchTest, FailedSwitchBackIsLoggedOnce)
{
    SwitchToListedMode(list, 1, [&] {
        fake->refuse = true;
        return false;
    });
    EXPECT_EQ(fake->applied.size(), 2u);
    EXPECT_EQ(platform::LogText(), "\r\nDisplay mode not restored: 32 bits 1024 by 768 pixels 60 Hz");
}

TEST_F(ModeSwitchTest, DisplayGoneWhileOpen)
{
    fake->gone = true;
    EXPECT_EQ(Switch(1, true).result, ModeSwitch::kRefused);
    EXPECT_EQ(Switch(-1, true).result, ModeSwitch::kNothing);
    EXPECT_EQ(SwitchToListedMode(List4i(), -1, [] { return true; }).result, ModeSwitch::kNothing);
    EXPECT_EQ(asked, 0);
}

TEST_F(ModeSwitchTest, StartupModeComesBackOnlyWhenChanged)
{
    StartupMode startup;
    startup.Take();
    startup.Restore();
    EXPECT_TRUE(fake->applied.empty());
    fake->current = wide;
    startup.Restore();
    EXPECT_EQ(fake->applied, std::vector<DisplayMode>{small});
    EXPECT_EQ(fake->current, small);
}

}  // namespace
}  // namespace plexo
