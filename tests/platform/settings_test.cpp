#include "platform/document_settings.h"
#include "platform/frame_settings.h"
#include "platform/log.h"
#include "platform/translate_settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

void WriteAllSettings()
{
    FrameSettings::Read().Write();
    DocumentSettings::Read().Write();
    TranslateSettings::Read().Write();
}

TEST(Settings, FirstRunWritesEveryDefaultInTheOrderOfAnOrderlyEnd)
{
    test::SettingsSandbox ini;
    std::filesystem::remove_all(ini.dir.path());  // the first write makes the folder too
    WriteAllSettings();
    EXPECT_EQ(ini.text(), "[I/O]\nCurrent directory=\n[Settings]\nFrames/sec=15.000000\nRed-Blue=1\n"
                          "Alter=0\nStep=0\nDist=21\nShift=-4\nRound=1\nInvert=0\n"
                          "[Translate]\nWay=0\nScale=1\nColor=1\nQuality=95\n");
}

// Any mode but 1 and 2 is page flipping, stored as 0; a number longer than
// eight characters is written whole.
TEST(Settings, StoredValuesConvertOnReadAndWriteBackInPlace)
{
    test::SettingsSandbox ini;
    ini.setText("[Settings]\nFrames/sec=12.5\nRed-Blue=7\nShift=-4\nDist=-123456789\n"
                "[Translate]\nWay=5\nQuality=40\n[I/O]\nCurrent directory=/films/my take\n");
    WriteAllSettings();
    EXPECT_EQ(ini.text(), "[Settings]\nFrames/sec=12.500000\nRed-Blue=0\nShift=-4\nDist=-123456789\n"
                          "Alter=0\nStep=0\nRound=1\nInvert=0\n[Translate]\nWay=5\nQuality=40\nScale=1\nColor=1\n"
                          "[I/O]\nCurrent directory=/films/my take\n");
}

// A quality the encoder refuses would fail every JPEG conversion; a
// directory cut to its buffer could name another folder.
TEST(Settings, QualityIsHeldTo1To100AndAnOverlongDirectoryIsNotUsed)
{
    test::SettingsSandbox ini;
    for (const auto& [quality, expected] : {std::pair{"0", 1}, {"77", 77}, {"500", 100}}) {
        ini.setText(std::string("[Translate]\nQuality=") + quality + "\n");
        EXPECT_EQ(TranslateSettings::Read().quality, expected) << quality;
    }
    for (const size_t length : {499u, 500u}) {
        ini.setText("[I/O]\nCurrent directory=/" + std::string(length - 1, 'd') + "\n");
        EXPECT_EQ(FrameSettings::Read().currentDirectory.size(), length == 499 ? 499u : 0u);
    }
}

// A stored rate export would write a video at, or the timer tick at, only
// within 0.01 to 1000 frames a second; any other is logged and not used.
TEST(Settings, AFrameRateOutsideItsRangeIsLoggedAndReadAsTheDefault)
{
    test::SettingsSandbox ini;
    for (const auto& [text, expected] : {std::pair{"1000000", 15.0}, {"1e300", 15.0}, {"0.001", 15.0}, {"0.01", 0.01},
                                         {"1000", 1000.0}}) {
        ini.setText(std::string("[Settings]\nFrames/sec=") + text + "\n");
        ClearLog();
        EXPECT_EQ(FrameSettings::Read().framesPerSecond, expected) << text;
        EXPECT_EQ(LogText().find(std::string("Settings: Frames/sec=") + text + " is not used ("),
                  expected == 15 ? 2 : std::string::npos) << LogText();
    }
    EXPECT_EQ(LogText(), "");
}

TEST(Settings, TextConversionsIgnoreTheLocaleAndRefuseNonNumbers)
{
    const std::pair<const char*, double> fps[] = {{"15", 15},  {" +2.5x", 2.5}, {"-3", -3}, {"abc", 0},
                                                  {"inf", 0},  {"nan", 0},      {"1e999", 0}};
    for (const auto& [text, expected] : fps)
        EXPECT_EQ(FramesPerSecondFromText(text), expected) << text;
    EXPECT_EQ(FramesPerSecondText(1e300).size(), 308u);
}

}  // namespace
}  // namespace plexo::platform
