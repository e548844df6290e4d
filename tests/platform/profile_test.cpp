#include "platform/profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

TEST(Profile, MissingFileGivesDefaultsAndTheFirstWriteCreatesIt)
{
    test::SettingsSandbox ini;
    std::filesystem::remove_all(ini.dir.path());
    EXPECT_EQ(ReadProfileString("Settings", "Frames/sec", "15"), "15");
    EXPECT_EQ(ReadProfileInt("Settings", "Shift", -4), -4);
    ASSERT_TRUE(WriteProfileString("Settings", "Shift", "-4"));
    EXPECT_EQ(ini.text(), "[Settings]\nShift=-4\n");
    EXPECT_EQ(ReadProfileInt("settings", "SHIFT", 0), -4);
}

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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ini.dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left behind";
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

// Sets one environment variable for a scope.
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
        EnvVar xdg("XDG_CONFIG_HOME", "relative/is/ignored");
        EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/plexo/duvix.ini");
    }
    EnvVar xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(SettingsFilePath(), "/cfg/plexo/duvix.ini");
    EnvVar named("PLEXO_SETTINGS_FILE", "/tmp/x.ini");
    EXPECT_EQ(SettingsFilePath(), "/tmp/x.ini");
    SetSettingsFilePath("/set/by/test.ini");
    EXPECT_EQ(SettingsFilePath(), "/set/by/test.ini");
    SetSettingsFilePath("");
}

}  // namespace
}  // namespace plexo::platform
