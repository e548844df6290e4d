#include "doc/playlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/log.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "support/message_capture.h"

namespace plexo {
namespace {

void WriteText(const std::string& path, const std::string& text)
{
    test::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<PlaylistLine> Parsed(std::string_view bytes)
{
    return ParsePlaylist(bytes).value_or(std::vector<PlaylistLine>{{"(refused)", "", false}});
}

TEST(PlaylistReader, TakesTheLinesOfEveryWriterAndRefusesBinary)
{
    struct Case {
        std::string bytes;
        std::vector<PlaylistLine> lines;
    };
    const Case cases[] = {
        // A title names the next entry only; other comments are passed over.
        {"#EXTM3U\n#EXTINF:123,Left - Right\nfirst.mkv\n# note\nsecond.mkv\n",
         {{"first.mkv", "Left - Right", false}, {"second.mkv", "", false}}},
        // Windows line ends, a byte order mark, blanks around lines, blank lines.
        {"\xEF\xBB\xBF#EXTINF:-1, Ein Film \r\n  a b.mp4  \r\n\r\n\tc.jpg\r\n",
         {{"a b.mp4", "Ein Film", false}, {"c.jpg", "", false}}},
        // A Latin-1 name is a name of bytes, kept as it stands.
        {"caf\xE9.mkv\n", {{"caf\xE9.mkv", "", false}}},
        {"/abs/x.mp4\nhttps://example.com/a.mp4\nfile:///films/b.mkv\nC:/films/c.mkv\n",
         {{"/abs/x.mp4", "", false}, {"https://example.com/a.mp4", "", true}, {"file:///films/b.mkv", "", true},
          {"C:/films/c.mkv", "", false}}},
        {"", {}},
        {"old\rmac.mkv\r", {{"old", "", false}, {"mac.mkv", "", false}}},
        {std::string("ftyp\0\0\0mp42", 11), {{"(refused)", "", false}}},
        {"a.mkv\n\x01\x02", {{"(refused)", "", false}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parsed(c.bytes), c.lines) << c.bytes;
}

class PlaylistFiles : public ::testing::Test {
protected:
    PlaylistFiles()
    {
        platform::ClearLog();
        std::filesystem::create_directory(dir.path() / "sub");
        for (const char* name : {"a.mkv", "sub/b.mp4", "#odd.jpg"})
            WriteText(dir.file(name), "x");
    }
    int LogLines() const
    {
        const std::string log = platform::LogText();
        return int(std::count(log.begin(), log.end(), '\n'));
    }
    test::TempDir dir;
    test::MessageCapture messages;
};

// A binary file named .m3u is refused with a message.
TEST_F(PlaylistFiles, EntriesResolveAgainstTheListsFolderAndMissingOrRemoteOnesGoWithALineEach)
{
    const std::string list = dir.file("sub/list.m3u8");
    WriteText(list, "#EXTINF:1,Ay\n../a.mkv\nb.mp4\n" + dir.file("sub/b.mp4") + "\nhttp://x/y.mkv\ngone.mkv\n");
    const std::optional<std::vector<PlaylistEntry>> entries = ReadPlaylist(list);
    ASSERT_TRUE(entries);
    EXPECT_EQ(*entries, (std::vector<PlaylistEntry>{
                            {dir.file("a.mkv"), "Ay"}, {dir.file("sub/b.mp4"), ""}, {dir.file("sub/b.mp4"), ""}}));
    EXPECT_EQ(LogLines(), 2);
    EXPECT_NE(platform::LogText().find("http://x/y.mkv"), std::string::npos);
    EXPECT_NE(platform::LogText().find("gone.mkv"), std::string::npos);
    EXPECT_TRUE(messages.messages.empty());
    test::WriteBytes(dir.file("photo.m3u"), {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00});
    EXPECT_FALSE(ReadPlaylist(dir.file("photo.m3u")));
    EXPECT_EQ(messages.messages.size(), 1u);
}

// What is written reads back the same: names within the list's folder stay
// relative, one that would pass for a comment is kept from being one.
TEST_F(PlaylistFiles, WhatIsWrittenReadsBackAsTheSameList)
{
    const std::vector<PlaylistEntry> entries = {
        {dir.file("sub/b.mp4"), "Bee\nline"}, {dir.file("#odd.jpg"), ""}, {dir.file("a.mkv"), "Ay"}};
    const std::string text = PlaylistText(entries, dir.path().string());
    EXPECT_EQ(text, "#EXTM3U\n#EXTINF:-1,Bee line\nsub/b.mp4\n./#odd.jpg\n#EXTINF:-1,Ay\na.mkv\n");
    ASSERT_TRUE(WritePlaylist(dir.file("out.m3u8"), entries));
    const std::vector<PlaylistEntry> back = ReadPlaylist(dir.file("out.m3u8")).value_or(entries);
    EXPECT_EQ(back[0], (PlaylistEntry{dir.file("sub/b.mp4"), "Bee line"}));
    EXPECT_EQ(back[1].path, dir.file("#odd.jpg"));
    EXPECT_FALSE(WritePlaylist(dir.file("no/such/folder/out.m3u8"), entries));
    EXPECT_EQ(messages.messages.size(), 1u);
}

TEST(PlaylistModel, StepsWrapOnlyWhenTheListLoopsAndPassOverFilmsThatDoNotOpen)
{
    Playlist list({{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}});
    std::set<std::string> broken = {"b"};
    std::vector<std::string> tried;
    const Playlist::Opener open = [&](const PlaylistEntry& entry) {
        tried.push_back(entry.path);
        return !broken.count(entry.path);
    };
    EXPECT_EQ(list.Step(true, false, open), 2u);
    EXPECT_EQ(tried, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(list.Step(false, false, open), 0u);
    EXPECT_EQ(list.Step(false, false, open), std::nullopt);
    EXPECT_EQ(list.Step(false, true, open), 3u);
    EXPECT_EQ(list.Step(true, false, open), std::nullopt);
    EXPECT_EQ(list.Step(true, true, open), 0u);
    // A list of which nothing opens ends, looping or not, each film asked once.
    broken = {"a", "b", "c", "d"};
    tried.clear();
    EXPECT_EQ(list.Step(true, true, open), std::nullopt);
    EXPECT_EQ(tried.size(), 4u);
    EXPECT_EQ(list.current(), 0u);
}

TEST_F(PlaylistFiles, TheCommandLineMakesAListOfSeveralFilmsAPlaylistOrAFolder)
{
    for (const char* name : {"take0001.bmp", "take0002.bmp", "z.flm"})
        WriteText(dir.file(name), "x");
    EXPECT_FALSE(CommandLineList({dir.file("a.mkv")}));
    EXPECT_FALSE(CommandLineList({}));
    const std::optional<Playlist> several = CommandLineList({dir.file("a.mkv"), dir.file("none.mkv"), dir.file("z.flm")});
    ASSERT_TRUE(several);
    EXPECT_EQ(several->size(), 2u);
    EXPECT_EQ(LogLines(), 1);
    const std::optional<Playlist> folder = CommandLineList({dir.path().string()});
    ASSERT_TRUE(folder);
    std::vector<std::string> names;
    for (const PlaylistEntry& entry : folder->entries())
        names.push_back(std::filesystem::path(entry.path).filename().string());
    // This layer's table knows no videos.
    EXPECT_EQ(names, (std::vector<std::string>{"#odd.jpg", "take0001.bmp", "z.flm"}));
    // The folder's list of a run's later file stands at the run.
    EXPECT_EQ(FolderPlaylist(dir.file("take0002.bmp")).current(), 1u);
    WriteText(dir.file("l.m3u"), "z.flm\n");
    const std::optional<Playlist> file = CommandLineList({dir.file("l.m3u")});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->entries(), (std::vector<PlaylistEntry>{{dir.file("z.flm"), ""}}));
}

}  // namespace
}  // namespace plexo
