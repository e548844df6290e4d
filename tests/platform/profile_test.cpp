#include "platform/profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

TEST(Profile, NamesMatchWithoutCaseAndOtherLinesStayByteForByte)
{
    test::SettingsSandbox ini;
    ini.setText("; comment\r\n[other]\r\nShift=99\r\n\r\n[SETTINGS]\r\n  shift  =  7  \r\nDir= \"/a b\" \r\n"
                "\r\n[Tail]\r\nz=1");
    EXPECT_EQ(ReadProfileInt("settings", "SHIFT", 0), 7);
    EXPECT_EQ(ReadProfileString("Other", "shift", ""), "99");
    EXPECT_EQ(ReadProfileString("Settings", "dir", ""), "/a b");
    EXPECT_EQ(ReadProfileString("Settings", "dir", "", 2), "/a");

    ASSERT_TRUE(WriteProfileString("Settings", "Shift", "-3"));
    ASSERT_TRUE(WriteProfileString("Settings", "Dist", "21"));
    ASSERT_TRUE(WriteProfileString("Tail", "y", "2"));
    ASSERT_TRUE(WriteProfileString("New", "k", "v"));
    EXPECT_EQ(ini.text(), "; comment\r\n[other]\r\nShift=99\r\n\r\n[SETTINGS]\r\nshift=-3\r\nDir= \"/a b\" \r\n"
                          "Dist=21\r\n\r\n[Tail]\r\nz=1\r\ny=2\r\n[New]\r\nk=v\r\n");
}

TEST(Profile, IntegersReadLikeTheOriginalConversion)
{
    test::SettingsSandbox ini;
    ini.setText("[s]\na=-4\nb=+7\nc=12abc\nd=abc\ne=\nf=99999999999\ng=-99999999999\n");
    const std::pair<const char*, int32_t> cases[] = {{"a", -4}, {"b", 7},         {"c", 12},       {"d", 0},
                                                     {"e", 0},  {"f", INT32_MAX}, {"g", INT32_MIN}, {"h", 55}};
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(ReadProfileInt("s", key, 55), expected) << key;
}

TEST(Profile, RefusesTextThatWouldBreakTheFile)
{
    test::SettingsSandbox ini;
    ini.setText("[s]\nk=1\n");
    EXPECT_FALSE(WriteProfileString("s", "k", "1\n[evil]"));
    EXPECT_FALSE(WriteProfileString("s", "a=b", "1"));
    EXPECT_FALSE(WriteProfileString("s]x", "k", "1"));
    EXPECT_FALSE(WriteProfileString("s", " ", "1"));
    EXPECT_EQ(ini.text(), "[s]\nk=1\n");
}

TEST(SettingsFilePath, FollowsOverrideThenEnvironmentThenXdgThenHome)
{
    const std::string guard = std::getenv("PLEXO_SETTINGS_FILE");
    setenv("HOME", "/home/someone", 1);
    unsetenv("PLEXO_SETTINGS_FILE");
    setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/plexo/duvix.ini");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(SettingsFilePath(), "/cfg/plexo/duvix.ini");
    setenv("PLEXO_SETTINGS_FILE", guard.c_str(), 1);
    EXPECT_EQ(SettingsFilePath(), guard);
    SetSettingsFilePath("/set/by/test.ini");
    EXPECT_EQ(SettingsFilePath(), "/set/by/test.ini");
    SetSettingsFilePath("");
}

}  // namespace
}  // namespace plexo::platform
