#include "platform/settings.h"

#include <gtest/gtest.h>

#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

using test::SettingsSandbox;

TEST(Settings, MissingFileGivesEveryDefault)
{
    SettingsSandbox ini;
    const FrameSettings frame = FrameSettings::Read();
    EXPECT_EQ(frame.currentDirectory, "");
    EXPECT_EQ(frame.framesPerSecond, 15.0);
    EXPECT_EQ(frame.presentation, 1);
    const DocumentSettings doc = DocumentSettings::Read();
    EXPECT_EQ(doc.alter, 0);
    EXPECT_EQ(doc.step, 0);
    EXPECT_EQ(doc.dist, 21);
    EXPECT_EQ(doc.shift, -4);
    EXPECT_EQ(doc.round, 1);
    EXPECT_EQ(doc.invert, 0);
    const TranslateSettings tr = TranslateSettings::Read();
    EXPECT_EQ(tr.way, 0);
    EXPECT_EQ(tr.scale, 1);
    EXPECT_EQ(tr.color, 1);
    EXPECT_EQ(tr.quality, 95);
}

TEST(Settings, FirstRunWritesTheNineKeysInTheOrderOfAnOrderlyEnd)
{
    SettingsSandbox ini;
    FrameSettings::Read().Write();
    DocumentSettings::Read().Write();
    EXPECT_EQ(ini.text(), "[I/O]\nCurrent directory=\n"
                          "[Settings]\nFrames/sec=15.000000\nRed-Blue=1\n"
                          "Alter=0\nStep=0\nDist=21\nShift=-4\nRound=1\nInvert=0\n");
}

TEST(Settings, StoredValuesReadBackAndConvertOnTheWay)
{
    SettingsSandbox ini;
    ini.setText("[Settings]\nFrames/sec=12.5\nRed-Blue=7\nShift=-4\nDist=-50\n"
                "[Translate]\nWay=5\nScale=3\nColor=0\nQuality=40\n"
                "[I/O]\nCurrent directory=/films/my take\n");
    FrameSettings frame = FrameSettings::Read();
    EXPECT_EQ(frame.framesPerSecond, 12.5);
    EXPECT_EQ(frame.presentation, 0) << "a mode other than 1 or 2 means page flipping";
    EXPECT_EQ(frame.currentDirectory, "/films/my take");
    frame.Write();
    EXPECT_EQ(ReadProfileString("Settings", "Frames/sec", ""), "12.500000");
    EXPECT_EQ(ReadProfileString("Settings", "Red-Blue", ""), "0");

    DocumentSettings doc = DocumentSettings::Read();
    EXPECT_EQ(doc.shift, -4);
    EXPECT_EQ(doc.dist, -50);
    doc.shift = -100;
    doc.Write();
    EXPECT_EQ(DocumentSettings::Read().shift, -100);

    TranslateSettings tr = TranslateSettings::Read();
    EXPECT_EQ(tr.way, 5);
    EXPECT_EQ(tr.scale, 3);
    EXPECT_EQ(tr.color, 0);
    EXPECT_EQ(tr.quality, 40);
    tr.quality = 100;
    tr.Write();
    EXPECT_EQ(TranslateSettings::Read().quality, 100);
}

TEST(Settings, ValuesBeyondEightCharactersAreWrittenWhole)
{
    SettingsSandbox ini;
    DocumentSettings doc;
    doc.dist = -123456789;
    doc.step = 2147483647;
    doc.Write();
    const DocumentSettings back = DocumentSettings::Read();
    EXPECT_EQ(back.dist, -123456789);
    EXPECT_EQ(back.step, 2147483647);
}

TEST(Settings, LongDirectoryIsKeptTo499Characters)
{
    SettingsSandbox ini;
    FrameSettings frame;
    frame.currentDirectory = "/" + std::string(600, 'd');
    frame.Write();
    EXPECT_EQ(FrameSettings::Read().currentDirectory, frame.currentDirectory.substr(0, 499));
}

struct FpsCase {
    const char* text;
    double expected;
};
class FramesPerSecondText_ : public ::testing::TestWithParam<FpsCase> {};

TEST_P(FramesPerSecondText_, ConvertsLikeTextToDouble)
{
    EXPECT_EQ(FramesPerSecondFromText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, FramesPerSecondText_,
                         ::testing::Values(FpsCase{"15", 15.0}, FpsCase{"12.500000", 12.5}, FpsCase{" +2.5x", 2.5},
                                           FpsCase{"-3", -3.0}, FpsCase{"abc", 0.0}, FpsCase{"", 0.0},
                                           FpsCase{"inf", 0.0}, FpsCase{"nan", 0.0}, FpsCase{"1e999", 0.0}));

TEST(Settings, FramesPerSecondIsWrittenWithSixDecimalsWhateverTheLocale)
{
    EXPECT_EQ(FramesPerSecondText(15.0), "15.000000");
    EXPECT_EQ(FramesPerSecondText(12.5), "12.500000");
    EXPECT_EQ(FramesPerSecondText(-0.25), "-0.250000");
    EXPECT_EQ(FramesPerSecondText(1e300).size(), 301u + 7u);
}

TEST(Settings, PresentationKeepsOneAndTwoOnly)
{
    EXPECT_EQ(PresentationFromText("1"), 1);
    EXPECT_EQ(PresentationFromText("2"), 2);
    EXPECT_EQ(PresentationFromText("0"), 0);
    EXPECT_EQ(PresentationFromText("7"), 0);
    EXPECT_EQ(PresentationFromText("-1"), 0);
    EXPECT_EQ(PresentationFromText("x"), 0);
    EXPECT_EQ(PresentationFromText(" 2"), 2);
}

}  // namespace
}  // namespace plexo::platform
