#include "platform/profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

using test::SettingsSandbox;

TEST(Profile, MissingFileGivesDefaultsAndFirstWriteCreatesIt)
{
    SettingsSandbox ini;
    std::filesystem::remove(ini.dir.path());
    EXPECT_EQ(ReadProfileString("Settings", "Frames/sec", "15"), "15");
    EXPECT_EQ(ReadProfileInt("Settings", "Shift", -4), -4);
    ASSERT_TRUE(WriteProfileString("Settings", "Shift", "-4"));
    EXPECT_EQ(ini.text(), "[Settings]\nShift=-4\n");
    EXPECT_EQ(ReadProfileInt("Settings", "Shift", 0), -4);
}

TEST(Profile, NamesMatchWithoutCaseAndOtherLinesStayByteForByte)
{
    SettingsSandbox ini;
    ini.setText("; kept comment\r\n"
                "[other]\r\n"
                "Shift=99\r\n"
                "\r\n"
                "[SETTINGS]\r\n"
                "  shift  =  7  \r\n"
                "Unknown=x\r\n"
                "\r\n"
                "[Tail]\r\n"
                "z=1");
    EXPECT_EQ(ReadProfileInt("settings", "SHIFT", 0), 7);
    EXPECT_EQ(ReadProfileString("Other", "shift", ""), "99");
    EXPECT_EQ(ReadProfileString("Settings", "Missing", "dflt"), "dflt");

    ASSERT_TRUE(WriteProfileString("Settings", "Shift", "-3"));
    ASSERT_TRUE(WriteProfileString("Settings", "Dist", "21"));
    ASSERT_TRUE(WriteProfileString("Tail", "y", "2"));
    ASSERT_TRUE(WriteProfileString("New", "k", "v"));
    EXPECT_EQ(ini.text(), "; kept comment\r\n"
                          "[other]\r\n"
                          "Shift=99\r\n"
                          "\r\n"
                          "[SETTINGS]\r\n"
                          "shift=-3\r\n"
                          "Unknown=x\r\n"
                          "Dist=21\r\n"
                          "\r\n"
                          "[Tail]\r\n"
                          "z=1\r\n"
                          "y=2\r\n"
                          "[New]\r\n"
                          "k=v\r\n");
}

TEST(Profile, ValuesLoseSurroundingBlanksAndQuotesAndAreCutToTheBuffer)
{
    SettingsSandbox ini;
    ini.setText("[I/O]\nCurrent directory= \"/home/a b\" \nLong=abcdefghij\nEmpty=\n");
    EXPECT_EQ(ReadProfileString("I/O", "Current directory", ""), "/home/a b");
    EXPECT_EQ(ReadProfileString("I/O", "Long", "", 4), "abcd");
    EXPECT_EQ(ReadProfileString("I/O", "Empty", "dflt"), "") << "a present empty value is not the default";
}

struct IntCase {
    const char* text;
    int32_t expected;
};
class ProfileInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(ProfileInt, ReadsLikeTheIntegerConversionOfTheOriginal)
{
    SettingsSandbox ini;
    ini.setText(std::string("[s]\nk=") + GetParam().text + "\n");
    EXPECT_EQ(ReadProfileInt("s", "k", 55), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ProfileInt,
                         ::testing::Values(IntCase{"-4", -4}, IntCase{"+7", 7}, IntCase{"12abc", 12},
                                           IntCase{"abc", 0}, IntCase{"", 0}, IntCase{"-", 0},
                                           IntCase{"99999999999", INT32_MAX},
                                           IntCase{"-99999999999", INT32_MIN}));

TEST(Profile, RefusesTextThatWouldBreakTheFileAndLeavesItAsItWas)
{
    SettingsSandbox ini;
    ini.setText("[s]\nk=1\n");
    EXPECT_FALSE(WriteProfileString("s", "k", "1\n[evil]"));
    EXPECT_FALSE(WriteProfileString("s", "a=b", "1"));
    EXPECT_FALSE(WriteProfileString("s]x", "k", "1"));
    EXPECT_FALSE(WriteProfileString("s", " ", "1"));
    EXPECT_EQ(ini.text(), "[s]\nk=1\n");
}

TEST(Profile, WritesReplaceTheFileWholeAndLeaveNoTemporaryFiles)
{
    SettingsSandbox ini;
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(WriteProfileString("s", "k" + std::to_string(i % 5), std::to_string(i)));
    EXPECT_EQ(ini.text(), "[s]\nk0=15\nk1=16\nk2=17\nk3=18\nk4=19\n");
    const auto entries = std::distance(std::filesystem::directory_iterator(ini.dir.path()),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 1);
}

TEST(Profile, UnreachableFileReadsDefaultsAndRefusesWrites)
{
    SettingsSandbox ini;
    SetSettingsFilePath("/dev/null/duvix.ini");
    EXPECT_EQ(ReadProfileInt("s", "k", 3), 3);
    EXPECT_FALSE(WriteProfileString("s", "k", "1"));
}

// Restores one environment variable when the test ends.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvVar() { old_.empty() ? unsetenv(name_) : setenv(name_, old_.c_str(), 1); }

private:
    const char* name_;
    std::string old_;
};

TEST(SettingsFilePath, FollowsOverrideThenEnvironmentThenXdgThenHome)
{
    EnvVar home("HOME", "/home/someone");
    EnvVar file("PLEXO_SETTINGS_FILE", nullptr);
    {
        EnvVar xdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/plexo/duvix.ini");
    }
    {
        EnvVar xdg("XDG_CONFIG_HOME", "relative/ignored");
        EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/plexo/duvix.ini");
    }
    EnvVar xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(SettingsFilePath(), "/cfg/plexo/duvix.ini");
    {
        EnvVar named("PLEXO_SETTINGS_FILE", "/tmp/x.ini");
        EXPECT_EQ(SettingsFilePath(), "/tmp/x.ini");
        SetSettingsFilePath("/set/by/test.ini");
        EXPECT_EQ(SettingsFilePath(), "/set/by/test.ini");
        SetSettingsFilePath("");
    }
}

}  // namespace
}  // namespace plexo::platform
