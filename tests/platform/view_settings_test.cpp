#include "platform/view_settings.h"

#include <gtest/gtest.h>

#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

// Newest first, no twice, at most eight; what is written reads back alike.
TEST(RecentFilms, KeepsTheNewestEightOnceEachAndRoundTrips)
{
    test::SettingsSandbox ini;
    RecentFilms recent;
    for (int i = 1; i <= 10; ++i)
        recent.Add("/films/" + std::to_string(i) + ".flm");
    recent.Add("/films/5.flm");
    const std::vector<std::string> expected = {"/films/5.flm", "/films/10.flm", "/films/9.flm", "/films/8.flm",
                                               "/films/7.flm", "/films/6.flm",  "/films/4.flm", "/films/3.flm"};
    EXPECT_EQ(recent.paths, expected);
    recent.Write();
    EXPECT_EQ(RecentFilms::Read().paths, expected);

    // A shorter list empties the keys it no longer needs; a name with a line
    // break cannot be stored and is left out.
    recent.paths = {"/a.flm", "/bad\nname.flm", "/b.flm"};
    recent.Write();
    EXPECT_EQ(RecentFilms::Read().paths, (std::vector<std::string>{"/a.flm", "/b.flm"}));
}

TEST(ViewSettings, OutOfRangeValuesFallBack)
{
    test::SettingsSandbox ini;
    const std::pair<const char*, std::pair<ViewSize, int>> cases[] = {
        {"Size=1\nZoom=250\n", {ViewSize::Fit, 250}},
        {"Size=2\nZoom=0\n", {ViewSize::Zoom, 5}},
        {"Size=7\nZoom=99999\n", {ViewSize::FitLarge, 3200}},
    };
    for (auto [text, want] : cases) {
        ini.setText(std::string("[View]\n") + text + "Geometry=10 20 0 5\n");
        const ViewSettings s = ViewSettings::Read();
        EXPECT_EQ(s.size, want.first) << text;
        EXPECT_EQ(s.zoomPercent, want.second) << text;
        EXPECT_FALSE(s.geometry.has_value()) << text;
    }
}

}  // namespace
}  // namespace plexo::platform
