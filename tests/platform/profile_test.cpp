#include "platform/profile.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

// Each line end as some editor leaves it: LF, CR LF, or a lone CR.
TEST(Profile, NamesMatchWithoutCaseAndOtherLinesStayByteForByte)
{
    test::SettingsSandbox ini;
    ini.setText("; comment\r\n[other]\r\nShift=99\r\n\r\n[SETTINGS]\r\n  shift  =  7  \r\nDir= \"/a b\" \r\n"
                "\r\n[Tail]\rz=1\r");
    EXPECT_EQ(ReadProfileInt("settings", "SHIFT", 0), 7);
    EXPECT_EQ(ReadProfileInt("Tail", "z", 0), 1);
    EXPECT_EQ(ReadProfileString("Other", "shift", ""), "99");
    EXPECT_EQ(ReadProfileString("Settings", "dir", ""), "/a b");
    EXPECT_EQ(ReadProfileString("Settings", "dir", "", 2), "/a");

    ASSERT_TRUE(WriteProfileString("Settings", "Shift", "-3"));
    ASSERT_TRUE(WriteProfileString("Settings", "Dist", "21"));
    ASSERT_TRUE(WriteProfileString("Tail", "y", "2"));
    ASSERT_TRUE(WriteProfileString("New", "k", "v"));
    EXPECT_EQ(ini.text(), "; comment\r\n[other]\r\nShift=99\r\n\r\n[SETTINGS]\r\nshift=-3\r\nDir= \"/a b\" \r\n"
                          "Dist=21\r\n\r\n[Tail]\rz=1\ry=2\r\n[New]\r\nk=v\r\n");
}

TEST(Profile, IntegersReadAsLeadingDecimalsHeldTo32Bits)
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
    for (const auto& [section, key, value] : {std::tuple{"s", "k", "1\n[evil]"}, {"s", "a=b", "1"}, {"s]x", "k", "1"},
                                              {"s", " ", "1"}})
        EXPECT_FALSE(WriteProfileString(section, key, value)) << section << " " << key;
    EXPECT_EQ(ini.text(), "[s]\nk=1\n");
}

}  // namespace
}  // namespace plexo::platform
