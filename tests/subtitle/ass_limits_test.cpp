// Text subtitles kept within what a frame shows: override tags rewritten to
// the bounds, the newest events drawn when too many show at once, a video's
// own text stream read no further than a file beside it, each cut logged
// once.

#include <gtest/gtest.h>

#include "platform/log.h"
#include "subtitle/ass_limits.h"
#include "subtitle/ass_subtitles.h"
#include "subtitle/stream_subtitles.h"
#include "subtitle/subtitle_file.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "video/video_formats.h"

namespace plexo::subtitle {
namespace {

TEST(AssLimits, RewritesTagsBeyondTheFrameAndKeepsTheRest)
{
    // A frame of 384 × 288 script pixels; the style's size 18, "Big"'s 200.
    const auto named = [](std::string_view name) { return GlyphSize{name == "Big" ? 200.0 : 18.0, 1, 1}; };
    const std::pair<const char*, const char*> cases[] = {
        {"{\\fs100000}Huge", "{\\fs288}Huge"},
        {"{\\fs(5000)\\fs-2\\fs+5}A", "{\\fs288\\fs-2\\fs288}A"},
        {"{\\fs200\\fscy400\\fscx150}A", "{\\fs200\\fscy144\\fscx150}A"},
        {"{\\fscx800\\fs100\\fscx}A", "{\\fscx800\\fs48\\fscx}A"},
        {"{\\blur500\\bord(900)\\xbord2\\ybord 99}A", "{\\blur18\\bord72\\xbord2\\ybord72}A"},
        {"{\\t(0,500,\\fs9000\\blur99)}A", "{\\t(0,500,\\fs288\\blur18)}A"},
        {"{\\rBig\\fscy200}A{\\r\\fscy200}B", "{\\rBig\\fscy144}A{\\r\\fscy200}B"},
        {"{\\fsp900\\fsc\\fs280\\be100}A {\\fs999", "{\\fsp900\\fsc\\fs280\\be100}A {\\fs999"},
    };
    for (const auto& [text, bounded] : cases) {
        int cuts = 0;
        EXPECT_EQ(BoundOverrides(text, {18, 1, 1}, named, {288, 384, 18, 72}, cuts), bounded) << text;
    }
}

// 100 squares, the k-th starting at k × 10 ms at its own place: at 5 s all
// show, and only the 64 started last are drawn; then a line of a huge font.
TEST(AssLimits, DrawsGlyphsNoTallerThanTheFrameAndOnlyTheNewestEvents)
{
    platform::ClearLog();
    std::string script = DefaultAssHeader() + "Dialogue: 0,0:00:10.00,0:00:11.00,Default,,0,0,0,,{\\fs100000}Huge\n";
    for (int k = 0; k < 100; ++k)
        script += "Dialogue: 0,0:00:00." + std::to_string(100 + k).substr(1) + ",0:00:09.00,Default,,0,0,0,,{\\an7\\pos(" +
                  std::to_string(20 * (k % 10) + 2) + "," + std::to_string(20 * (k / 10) + 2) +
                  ")\\bord0\\shad0\\p1}m 0 0 l 8 0 8 8 0 8\n";
    std::string why;
    SubtitleSourcePtr source = AssScriptSubtitles(script, {}, why);
    ASSERT_TRUE(source) << why;
    EXPECT_LT(source->Render(10'500'000, CanvasOf(384, 288)).height, 288);
    for (int pass = 0; pass < 2; ++pass) {
        const SubtitleBitmap& b = source->Render(5'000'000, CanvasOf(384, 288));
        std::vector<int> drawn;
        for (int k = 0; k < 100; ++k)
            if (const int x = 20 * (k % 10) + 6 - b.x, y = 20 * (k / 10) + 6 - b.y;
                x >= 0 && y >= 0 && x < b.width && y < b.height && b.pixel(x, y)[3] > 0)
                drawn.push_back(k);
        ASSERT_EQ(drawn.size(), 64u);
        EXPECT_EQ(drawn[0], 36);
    }
    EXPECT_EQ(platform::LogText(), "\r\nsubtitles: 1 styles or lines asked for a font size, scale, blur or border beyond "
                                   "what the frame shows; they were reduced to it\r\nsubtitles: 100 events show at "
                                   "once at 5 s; only the newest 64 are drawn");
}

TEST(AssLimits, AVideosTextStreamIsReadUpToTheSizeOfAFileBesideIt)
{
    video::AddVideoFormats();
    test::TempDir dir;
    // Five cues of 4 MB each, 10 s apart.
    std::string srt;
    for (int i = 0; i < 5; ++i)
        srt += "1\n00:00:" + std::to_string(i) + "0,000 --> 00:00:" + std::to_string(i) + "1,000\n" +
               std::string(4u << 20, char('a' + i)) + "\n\n";
    test::WriteBytes(dir.file("text.srt"), {srt.begin(), srt.end()});
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -y -i " + dir.file("text.srt") + " -c:s copy " + dir.file("text.mkv")));
    platform::ClearLog();
    std::string why;
    SubtitleSourcePtr source = OpenSubtitleStream(dir.file("text.mkv"), 0, why);
    ASSERT_TRUE(source) << why;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(source->EventAt(i * 10'000'000 + 100'000).has_value(), i < 3) << i;
    EXPECT_EQ(platform::LogText(), "\r\nsubtitles: stream 0 holds more than 16 MB of text; only the 3 events before "
                                   "that are shown");
}

}  // namespace
}  // namespace plexo::subtitle
