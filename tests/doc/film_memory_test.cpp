#include "doc/film_memory.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/profile.h"
#include "platform/settings_sandbox.h"

namespace plexo {
namespace {

// A hand-edited value is read only when it is a whole number in range; fields
// this version does not know survive a change.
TEST(FilmRecord, ReadsOnlyWholeNumbersInRangeAndKeepsUnknownFields)
{
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"dist=25", 25},       {" dist = -7 ;swap=1", -7}, {"junk;=5;dist=3", 3},    {"dist=abc", {}},
        {"dist=25x", {}},      {"dist=+4", {}},            {"dist=10001", {}},       {"dist=99999999999", {}},
        {"distance=4", {}},    {"", {}},
    };
    for (const auto& [text, dist] : cases)
        EXPECT_EQ(FilmRecord(text).Number("dist", 10000), dist) << text;
    for (const char* text : {"fps=29,97", "fps=nan", "fps=1001"})
        EXPECT_EQ(FilmRecord(text).Decimal("fps", 0, 1000), std::nullopt) << text;
    for (const char* text : {"subtitle-depth=a b", "subtitle-depth=x%3B", "subtitle-depth="})
        EXPECT_EQ(FilmRecord(text).Word("subtitle-depth"), std::nullopt) << text;
    EXPECT_EQ(FilmRecord("subtitle-depth=-12").Word("subtitle-depth"), "-12");
    FilmRecord record("eye=3;dist=1;layout=side by side");
    record.SetNumber("dist", -2);
    record.SetNumber("swap", 1);
    record.SetDecimal("fps", 30000.0 / 1001);
    record.SetWord("subtitle-depth", "authored");
    record.SetWord("title", "a;b");
    EXPECT_TRUE(record.Erase("eye"));
    EXPECT_EQ(record.text(), "dist=-2;layout=side by side;swap=1;fps=29.97002997002997;subtitle-depth=authored");
}

// Newest first, the oldest beyond 200 dropped; paths that differ only in
// case, or hold what a key cannot, are kept apart and read back.
TEST(FilmMemory, KeepsTheNewest200UnderTheirOwnPathsAndOtherViewersFilms)
{
    test::SettingsSandbox ini;
    std::string section = "[Films]\n";
    for (int i = 200; i >= 1; --i)
        section += "/f" + std::to_string(i) + "=dist=" + std::to_string(i) + "\n";
    ini.setText(section);
    ASSERT_TRUE(KeepFilm("/f201", FilmRecord("dist=201")));
    ASSERT_TRUE(KeepFilm("/f100", RecallFilm("/f100")));
    const platform::ProfileKeys films = platform::ReadProfileSection("Films");
    ASSERT_EQ(films.size(), 200u);
    EXPECT_EQ(std::tuple(films[0].key, films[0].value, films[1].key, films[2].key, films.back().key),
              std::tuple("/f100", "dist=100", "/f201", "/f200", "/f2"));

    const std::vector<std::vector<std::string>> odd = {{"/a/A"}, {"/a/a"}, {"/a/x=1|%2 "}, {"/a/A", "/a/a"}};
    for (size_t i = 0; i < odd.size(); ++i)
        ASSERT_TRUE(KeepFilm(FilmKey(odd[i]), FilmRecord("dist=" + std::to_string(i)))) << odd[i][0];
    for (size_t i = 0; i < odd.size(); ++i)
        EXPECT_EQ(RecallFilm(FilmKey(odd[i])).Number("dist", 1000), int32_t(i)) << odd[i][0];

    // Another viewer's film written since this one read the file is kept, and
    // a line without a key does not stop the section from being written.
    test::WriteBytes(ini.path(), {'[', 'F', 'i', 'l', 'm', 's', ']', '\n', '=', '5', '\n', '/', 'c', '=', 'x', '\n'});
    ASSERT_TRUE(KeepFilm("/a.flm", FilmRecord("dist=1")));
    EXPECT_EQ(ini.text(), "[Films]\n/a.flm=dist=1\n/c=x\n");
}

}  // namespace
}  // namespace plexo
