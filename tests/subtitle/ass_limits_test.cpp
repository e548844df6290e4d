// Text subtitles kept within what a frame shows: override tags rewritten to
// the bounds, the newest events drawn when too many show at once, and a
// video's own text stream read no further than a file beside it would be.

#include <gtest/gtest.h>

#include "platform/log.h"
#include "subtitle/ass_limits.h"
#include "subtitle/ass_subtitles.h"
#include "subtitle/stream_subtitles.h"
#include "subtitle/subtitle_file.h"
#include "subtitle/subtitle_mux.h"
#include "support/temp_dir.h"
#include "video/video_formats.h"

namespace plexo::subtitle {
namespace {

// The log's lines while it lives.
struct LogLines {
    LogLines() : previous(platform::SetLogSink([this](const std::string& m, platform::LogLine) { lines.push_back(m); }))
    {
    }
    ~LogLines() { platform::SetLogSink(previous); }
    size_t Count(const std::string& part) const
    {
        return size_t(std::count_if(lines.begin(), lines.end(),
                                    [&](const std::string& l) { return l.find(part) != std::string::npos; }));
    }
    std::vector<std::string> lines;
    platform::LogSink previous;
};

TEST(AssLimits, RewritesTagsBeyondTheFrameAndKeepsTheRest)
{
    // A frame of 384 × 288 script pixels; the style's size 18, the style
    // "Big" 200.
    const AssBounds bounds{288, 384, 18, 72};
    const auto named = [](std::string_view name) {
        return name == "Big" ? GlyphSize{200, 1, 1} : GlyphSize{18, 1, 1};
    };
    const std::pair<const char*, const char*> cases[] = {
        {"{\\fs100000}Huge", "{\\fs288}Huge"},
        {"{\\fs(5000)\\fs-2\\fs+5}A", "{\\fs288\\fs-2\\fs288}A"},
        {"{\\fs+500}A{\\fs-5}B", "{\\fs288}A{\\fs-5}B"},
        {"{\\fs200\\fscy400\\fscx150}A", "{\\fs200\\fscy144\\fscx150}A"},
        {"{\\fscx800\\fs100\\fscx}A", "{\\fscx800\\fs48\\fscx}A"},
        {"{\\blur500\\bord(900)\\xbord2\\ybord 99}A", "{\\blur18\\bord72\\xbord2\\ybord72}A"},
        {"{\\t(0,500,\\fs9000\\blur99)}A", "{\\t(0,500,\\fs288\\blur18)}A"},
        {"{\\rBig\\fscy200}A{\\r\\fscy200}B", "{\\rBig\\fscy144}A{\\r\\fscy200}B"},
        {"{\\fsp900\\fsc\\fs280\\be100}A {\\fs999", "{\\fsp900\\fsc\\fs280\\be100}A {\\fs999"},
        {"{\\p1}m 0 0 l 100000 0 100000 10{\\p0}", "{\\p1}m 0 0 l 100000 0 100000 10{\\p0}"},
    };
    for (const auto& [text, bounded] : cases) {
        int cuts = 0;
        EXPECT_EQ(BoundOverrides(text, {18, 1, 1}, named, bounds, cuts), bounded) << text;
    }
}

std::string Script(const std::string& events)
{
    return DefaultAssHeader() + events;
}

TEST(AssLimits, AHugeFontIsDrawnNoTallerThanTheFrameAndLoggedOnce)
{
    LogLines log;
    std::string why;
    SubtitleSourcePtr source =
        AssScriptSubtitles(Script("Dialogue: 0,0:00:00.00,0:00:05.00,Default,,0,0,0,,{\\fs100000}Huge\n"), {}, why);
    ASSERT_TRUE(source) << why;
    for (const int64_t t : {1'000'000, 2'000'000}) {
        const SubtitleBitmap& b = source->Render(t, CanvasOf(320, 240));
        EXPECT_FALSE(b.empty());
        EXPECT_LT(b.height, 240);
    }
    EXPECT_EQ(log.Count("beyond what the frame shows"), 1u);
}

// 100 squares, the k-th starting at k × 10 ms at its own place; at 5 s all
// show, and only the 64 started last are drawn.
TEST(AssLimits, DrawsTheNewestEventsWhenTooManyShowAtOnce)
{
    LogLines log;
    std::string events;
    for (int k = 0; k < 100; ++k) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "Dialogue: 0,0:00:00.%02d,0:00:09.00,Default,,0,0,0,,{\\an7\\pos(%d,%d)\\bord0\\shad0\\p1}m 0 0 l 8 0 8 8 0 8\n",
                      k, 20 * (k % 10) + 2, 20 * (k / 10) + 2);
        events += line;
    }
    // Script times count hundredths: event k starts at k × 10 ms.
    std::string why;
    SubtitleSourcePtr source = AssScriptSubtitles(Script(events), {}, why);
    ASSERT_TRUE(source) << why;
    for (int pass = 0; pass < 2; ++pass) {
        const SubtitleBitmap& b = source->Render(5'000'000, CanvasOf(384, 288));
        int drawn = 0, oldest = 100;
        for (int k = 0; k < 100; ++k) {
            const int x = 20 * (k % 10) + 6 - b.x, y = 20 * (k / 10) + 6 - b.y;
            if (x >= 0 && y >= 0 && x < b.width && y < b.height && b.pixel(x, y)[3] > 0) {
                ++drawn;
                oldest = std::min(oldest, k);
            }
        }
        EXPECT_EQ(drawn, 64);
        EXPECT_EQ(oldest, 36);
    }
    EXPECT_EQ(log.Count("only the newest 64"), 1u);
}

TEST(AssLimits, AVideosTextStreamIsReadUpToTheSizeOfAFileBesideIt)
{
    video::AddVideoFormats();
    test::TempDir dir;
    // Five cues of 4 MB each, a second apart.
    std::vector<test::SubtitlePacket> cues;
    for (int i = 0; i < 5; ++i)
        cues.push_back({std::vector<uint8_t>(4u << 20, uint8_t('a' + i)), i * 1000, 500});
    ASSERT_TRUE(test::WriteSubtitleStream(dir.file("text.mkv"), AV_CODEC_ID_SUBRIP, cues));
    LogLines log;
    std::string why;
    SubtitleSourcePtr source = OpenSubtitleStream(dir.file("text.mkv"), 0, why);
    ASSERT_TRUE(source) << why;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(source->EventAt(i * 1'000'000 + 100'000).has_value(), i < 3) << i;
    EXPECT_EQ(log.Count("more than 16 MB"), 1u);
}

}  // namespace
}  // namespace plexo::subtitle
