#include "platform/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/profile.h"
#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

TEST(Settings, FirstRunWritesEveryDefaultInTheOrderOfAnOrderlyEnd)
{
    test::SettingsSandbox ini;
    std::filesystem::remove_all(ini.dir.path());  // the first write makes the folder too
    FrameSettings::Read().Write();
    DocumentSettings::Read().Write();
    EXPECT_EQ(ini.text(), "[I/O]\nCurrent directory=\n[Settings]\nFrames/sec=15.000000\nRed-Blue=1\n"
                          "Alter=0\nStep=0\nDist=21\nShift=-4\nRound=1\nInvert=0\n");
    TranslateSettings::Read().Write();
    EXPECT_NE(ini.text().find("[Translate]\nWay=0\nScale=1\nColor=1\nQuality=95\n"), std::string::npos);
}

TEST(Settings, StoredValuesConvertOnReadAndRoundTrip)
{
    test::SettingsSandbox ini;
    ini.setText("[Settings]\nFrames/sec=12.5\nRed-Blue=7\nShift=-4\nDist=-123456789\n"
                "[Translate]\nWay=5\nQuality=40\n[I/O]\nCurrent directory=/films/my take\n");
    const FrameSettings frame = FrameSettings::Read();
    EXPECT_EQ(frame.framesPerSecond, 12.5);
    EXPECT_EQ(frame.presentation, 0) << "any mode but 1 and 2 is page flipping";
    EXPECT_EQ(frame.currentDirectory, "/films/my take");
    frame.Write();
    EXPECT_EQ(ReadProfileString("Settings", "Frames/sec", ""), "12.500000");
    EXPECT_EQ(ReadProfileString("Settings", "Red-Blue", ""), "0");

    DocumentSettings doc = DocumentSettings::Read();
    EXPECT_EQ(doc.shift, -4);
    EXPECT_EQ(doc.dist, -123456789) << "longer than eight characters, written whole";
    doc.Write();
    EXPECT_EQ(DocumentSettings::Read().dist, -123456789);
    const TranslateSettings tr = TranslateSettings::Read();
    EXPECT_EQ(tr.way, 5);
    EXPECT_EQ(tr.quality, 40);
    EXPECT_EQ(tr.scale, 1);
}

TEST(Settings, TextConversionsIgnoreTheLocaleAndRefuseNonNumbers)
{
    const std::pair<const char*, double> fps[] = {{"15", 15},  {" +2.5x", 2.5}, {"-3", -3}, {"abc", 0},
                                                  {"inf", 0},  {"nan", 0},      {"1e999", 0}};
    for (const auto& [text, expected] : fps)
        EXPECT_EQ(FramesPerSecondFromText(text), expected) << text;
    EXPECT_EQ(FramesPerSecondText(-0.25), "-0.250000");
    EXPECT_EQ(FramesPerSecondText(1e300).size(), 308u);
    EXPECT_EQ(PresentationFromText(" 2"), 2);
    EXPECT_EQ(PresentationFromText("-1"), 0);
    EXPECT_EQ(PresentationFromText("x"), 0);
}

}  // namespace
}  // namespace plexo::platform
