// Reading subtitle files: the cues of SubRip and WebVTT, the files found
// beside a film and the ones refused, and the depth's words and rules.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "support/temp_dir.h"
#include "subtitle/ass_subtitles.h"
#include "subtitle/disparity.h"
#include "subtitle/subtitle_bitmap.h"
#include "subtitle/subtitle_depth.h"
#include "subtitle/subtitle_file.h"
#include "subtitle/subtitle_tracks.h"
#include "subtitle/text_cues.h"

namespace plexo::subtitle {
namespace {

struct CueCase {
    const char* name;
    CueFormat format;
    const char* text;
    // Each cue as "start+duration:text".
    std::vector<std::string> cues;
};

std::string Show(const TextEvent& e)
{
    return std::to_string(e.startMs) + "+" + std::to_string(e.durationMs) + ":" + e.text;
}

TEST(SubtitleCues, ReadsTimesTextAndTags)
{
    const CueCase cases[] = {
        {"two cues, CRLF", CueFormat::SubRip,
         "\xEF\xBB\xBF" "1\r\n00:00:01,000 --> 00:00:02,500\r\nOne\r\ntwo\r\n\r\n2\r\n01:00:00,000 --> 01:00:01,000\r\nThree\r\n",
         {"1000+1500:One\\Ntwo", "3600000+1000:Three"}},
        {"no blank line between cues", CueFormat::SubRip,
         "1\n00:00:01,000 --> 00:00:02,000\nA\n2\n00:00:03,000 --> 00:00:04,000\nB\n", {"1000+1000:A", "3000+1000:B"}},
        {"tags kept or dropped, braces kept as text", CueFormat::SubRip,
         "1\n00:00:01,000 --> 00:00:02,000\n<i>a</i> <font color=\"#FF8000\">b</font> <x>{c}\\N\n",
         {"1000+1000:{\\i1}a{\\i0} {\\c&H0080ff&}b{\\c} (c)\xE2\xA7\xB5N"}},
        {"bad and backward times skipped", CueFormat::SubRip,
         "1\n00:00:02,000 --> 00:00:01,000\nback\n\n2\n00:61:00,000 --> 00:62:00,000\nbad\n\n3\n0:0:5,5 --> 0:0:6,25\nok\n",
         {"5500+750:ok"}},
        {"WebVTT: header, note, short times, settings, entities", CueFormat::WebVtt,
         "WEBVTT\n\nNOTE a note\n\nid\n00:01.000 --> 00:02.000 align:start\n<v Bob>a &amp; b&lt;</v>\n",
         {"1000+1000:a & b<"}},
        {"not subtitles", CueFormat::SubRip, "hello\n--> world\n", {}},
    };
    for (const CueCase& c : cases) {
        std::vector<std::string> got;
        for (const TextEvent& e : ReadCues(c.text, c.format))
            got.push_back(Show(e));
        EXPECT_EQ(got, c.cues) << c.name;
    }
}

TEST(SubtitleFiles, FindsNameAndLanguageFilesAndRefusesOthers)
{
    test::TempDir dir;
    for (const char* name : {"film.srt", "film.en.srt", "film.ASS", "film.fr.vtt", "film2.srt", "film.a.b.srt"})
        test::WriteBytes(dir.file(name), {'x'});
    std::vector<std::string> names;
    for (const std::string& path : SubtitleFilesBeside(dir.file("film.mkv")))
        names.push_back(path.substr(path.rfind('/') + 1));
    EXPECT_EQ(names, (std::vector<std::string>{"film.ASS", "film.en.srt", "film.srt"}));
    EXPECT_EQ(FileLanguage(dir.file("film.mkv"), dir.file("film.en.srt")), "en");
    EXPECT_EQ(UnaskedTrack(SubtitleTracks(dir.file("film.mkv"))), 1) << "the first file shows unasked";
    SubtitleTrack stream, file;
    stream.stream = 2;
    file.file = "a.srt";
    EXPECT_EQ(UnaskedTrack({stream, file}), 2);
    EXPECT_EQ(UnaskedTrack({stream}), 0) << "a video's own stream waits to be chosen";

    // A FIFO would block an ordinary open for ever; a huge file is not read.
    ASSERT_EQ(::mkfifo(dir.file("fifo.srt").c_str(), 0600), 0);
    test::WriteBytes(dir.file("big.srt"), std::vector<uint8_t>(kMaxSubtitleFileBytes + 1, 'a'));
    test::WriteBytes(dir.file("empty.srt"), {'\n'});
    const std::pair<const char*, const char*> refused[] = {
        {"fifo.srt", "not a regular file"}, {"big.srt", "larger than 16 MB"}, {"empty.srt", "no subtitle in it"},
        {"missing.srt", ""}};
    for (const auto& [name, why] : refused) {
        std::string reason;
        EXPECT_FALSE(OpenSubtitleFile(dir.file(name), reason)) << name;
        if (*why) {
            EXPECT_EQ(reason, why) << name;
        }
    }
}

// A SubRip cue shows as the same dialogue in an ASS script does: nothing of
// the event's fields leaks into its text.
TEST(SubtitleFiles, SubRipRendersAsTheSameAssDialogue)
{
    test::TempDir dir;
    const std::string srt = "1\n00:00:00,500 --> 00:00:03,500\nSame <b>text</b>\n";
    const std::string ass = DefaultAssHeader() + "Dialogue: 0,0:00:00.50,0:00:03.50,Default,,0,0,0,,Same {\\b1}text{\\b0}\n";
    test::WriteBytes(dir.file("a.srt"), {srt.begin(), srt.end()});
    test::WriteBytes(dir.file("a.ass"), {ass.begin(), ass.end()});
    std::string why;
    const SubtitleSourcePtr fromSrt = OpenSubtitleFile(dir.file("a.srt"), why);
    const SubtitleSourcePtr fromAss = OpenSubtitleFile(dir.file("a.ass"), why);
    ASSERT_TRUE(fromSrt && fromAss) << why;
    const SubtitleBitmap a = fromSrt->Render(2'000'000, CanvasOf(640, 360));
    const SubtitleBitmap b = fromAss->Render(2'000'000, CanvasOf(640, 360));
    EXPECT_FALSE(a.empty());
    EXPECT_EQ(std::tie(a.x, a.y, a.width, a.height, a.bgra), std::tie(b.x, b.y, b.width, b.height, b.bgra));
}

TEST(SubtitleDepth, WordsAndTheAutomaticRules)
{
    EXPECT_EQ(ParseDepth("auto"), (DepthChoice{DepthMode::Automatic, 0}));
    EXPECT_EQ(ParseDepth("authored"), (DepthChoice{DepthMode::AsAuthored, 0}));
    EXPECT_EQ(ParseDepth("-12"), (DepthChoice{DepthMode::Fixed, -12}));
    for (const char* bad : {"", "201", "1.5", "12px", "Auto"})
        EXPECT_FALSE(ParseDepth(bad)) << bad;

    // A short event holds its depth; nearer content raises it at once.
    AutoDepth depth;
    EXPECT_EQ(depth.Next(0, 2'000'000, 4, 10), 12);
    EXPECT_EQ(depth.Next(0, 2'000'000, 0, 10), 12);
    EXPECT_EQ(depth.Next(0, 2'000'000, 15, 10), 17);
    // A long one follows receding content by 1 pixel a frame.
    EXPECT_EQ(depth.Next(5'000'000, 20'000'000, 8, 30), 10);
    EXPECT_EQ(depth.Next(5'000'000, 20'000'000, 2, 30), 9);
    EXPECT_EQ(depth.Next(5'000'000, 20'000'000, std::nullopt, std::nullopt), 9);
    EXPECT_EQ(depth.Next(5'000'000, 20'000'000, 20, 30), 22);
}

// Pictures wider than the reduced ones, of a texture as fine as a pixel: a
// square at an odd disparity, not a whole reduced pixel, over a background
// on the screen plane.
TEST(SubtitleDepth, FindsFineTextureAtDisparitiesOfAnyPixel)
{
    constexpr int kW = 1200, kH = 120;
    std::mt19937 random(3);
    std::vector<uint8_t> noise(size_t(kW) * kH * 2);
    for (auto& b : noise)
        b = uint8_t(random());
    for (const int d : {0, 13, 22}) {
        PictureBuffer eyes[2] = {PictureBuffer::allocate(kW, kH, 1), PictureBuffer::allocate(kW, kH, 1)};
        for (int e = 0; e < 2; ++e) {
            const int left = 500 + (e == 0 ? d - d / 2 : -(d / 2));
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    eyes[e].row(y)[x] = x >= left && x < left + 200 ? noise[size_t(kW) * kH + size_t(y) * kW + size_t(x - left)]
                                                                  : noise[size_t(y) * kW + size_t(x)];
        }
        EXPECT_EQ(NearestDisparity(eyes[0].view(), eyes[1].view(), {300, 20, 600, 80}, 40), d);
    }
}

// Every coverage over colour eye bytes, in rows of every width around the
// vector step: each byte laid over by the rule for premultiplied colours,
// nothing outside the box touched.
TEST(SubtitleDrawing, LaysEveryCoverageOverTheEyeByTheRule)
{
    for (int width = 1; width <= 21; ++width) {
        SubtitleBitmap bitmap = ClearBitmap(2, 1, width, 13);
        for (size_t n = 0; n < bitmap.bgra.size(); ++n) {
            const uint8_t a = uint8_t(n / 4 * 37 + size_t(width));  // premultiplied: no byte above it
            bitmap.bgra[n] = n % 4 == 3 ? a : uint8_t(n * 89 % (a + 1u));
        }
        PictureBuffer eye = PictureBuffer::allocate(width + 8, 16, 3);
        for (size_t i = 0; i < eye.byteCount(); ++i)
            eye.bytes[i] = uint8_t(i * 53 + 11);
        std::vector<uint8_t> expected(eye.bytes.get(), eye.bytes.get() + eye.byteCount());
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < width * 3; ++x) {
                const uint8_t* from = bitmap.pixel(x / 3, y);
                uint8_t& to = expected[size_t(14 - y) * size_t(width + 8) * 3 + size_t(x + 15)];
                to = uint8_t(std::min(255, from[x % 3] + (to * (255 - from[3]) + 127) / 255));
            }
        DrawBitmap(bitmap, 3, eye.view());
        EXPECT_EQ(std::vector(eye.bytes.get(), eye.bytes.get() + eye.byteCount()), expected) << width;
    }
}

}  // namespace
}  // namespace plexo::subtitle
