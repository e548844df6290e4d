// PGS display sets written here byte by byte and muxed into Matroska: the
// frame each was shown over, and bitmaps that fall out of the kept ones and
// are decoded again.

#include <gtest/gtest.h>

#include <malloc.h>

#include "subtitle/stream_subtitles.h"
#include "subtitle/subtitle_mux.h"
#include "support/temp_dir.h"
#include "video/video_formats.h"

namespace plexo::subtitle {
namespace {

struct Shown {
    int width, height;  // the stated frame
    bool epoch;         // defines a new object of objectWidth × objectHeight
    int objectWidth, objectHeight;
    int x, y;
};

void Put16(std::vector<uint8_t>& out, int v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void Segment(std::vector<uint8_t>& out, uint8_t type, const std::vector<uint8_t>& payload)
{
    out.push_back(type);
    Put16(out, int(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
}

// One display set: the presentation, then at an epoch's start a white
// palette entry and the object, filled with it.
std::vector<uint8_t> DisplaySet(const Shown& s)
{
    std::vector<uint8_t> set, pcs;
    Put16(pcs, s.width);
    Put16(pcs, s.height);
    pcs.insert(pcs.end(), {0x10, 0, 0, uint8_t(s.epoch ? 0x80 : 0), 0, 0, 1, 0, 0, 0, 0});
    Put16(pcs, s.x);
    Put16(pcs, s.y);
    Segment(set, 0x16, pcs);
    if (s.epoch) {
        Segment(set, 0x14, {0, 0, 1, 235, 128, 128, 255});
        const int w = s.objectWidth, h = s.objectHeight;
        std::vector<uint8_t> rle;
        for (int y = 0; y < h; ++y)
            rle.insert(rle.end(), {0, uint8_t(0xC0 | (w >> 8)), uint8_t(w), 1, 0, 0});
        std::vector<uint8_t> ods = {0, 0, 0, 0xC0};
        const size_t length = rle.size() + 4;
        ods.insert(ods.end(), {uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length)});
        Put16(ods, w);
        Put16(ods, h);
        ods.insert(ods.end(), rle.begin(), rle.end());
        Segment(set, 0x15, ods);
    }
    Segment(set, 0x80, {});
    return set;
}

bool WritePgs(const std::string& path, const std::vector<Shown>& sets)
{
    std::vector<test::SubtitlePacket> packets;
    for (size_t i = 0; i < sets.size(); ++i)
        packets.push_back({DisplaySet(sets[i]), int64_t(i) * 100});
    return test::WriteSubtitleStream(path, AV_CODEC_ID_HDMV_PGS_SUBTITLE, packets);
}

SubtitleSourcePtr Open(const std::string& path)
{
    std::string why;
    SubtitleSourcePtr source = OpenSubtitleStream(path, 0, why);
    EXPECT_TRUE(source) << why;
    return source;
}

std::tuple<int, int, int, int> Box(const SubtitleBitmap& b) { return {b.x, b.y, b.width, b.height}; }

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's allocator's count (g++ ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

size_t HeldBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

TEST(PictureStream, ScalesEachSetByTheFrameInForceAndIgnoresAbsurdOnes)
{
    video::AddVideoFormats();
    test::TempDir dir;
    // A later presentation states 1 × 1 (and one 9000 × 9000 after it)
    // over the object defined at 1920 × 1080.
    ASSERT_TRUE(WritePgs(dir.file("pgs.mkv"), {{1920, 1080, true, 200, 50, 100, 900},
                                               {1, 1, false, 0, 0, 100, 900},
                                               {1280, 720, true, 200, 50, 100, 500},
                                               {9000, 9000, false, 0, 0, 100, 500}}));
    SubtitleSourcePtr source = Open(dir.file("pgs.mkv"));
    ASSERT_TRUE(source);
    const Canvas half = CanvasOf(960, 540);
    // FFmpeg moves the object into the frame stated.
    const std::tuple<int, int, int, int> expected[] = {
        {50, 450, 100, 25}, {0, 0, 100, 25}, {75, 375, 150, 37}, {75, 375, 150, 37}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Box(source->Render(i * 100'000 + 50'000, half)), expected[i]) << i;
}

TEST(PictureStream, KeepsDecodedBitmapsWithinTheBudgetAndDecodesTheRestAgain)
{
    video::AddVideoFormats();
    test::TempDir dir;
    // 60 sets of 4 MB bitmaps, a new object from the 30th on; each set moves.
    std::vector<Shown> sets;
    for (int i = 0; i < 60; ++i) {
        const int side = i < 30 ? 1000 : 800;
        sets.push_back({1920, 1080, i == 0 || i == 30, side, side, 10 * i, 0});
    }
    ASSERT_TRUE(WritePgs(dir.file("pgs.mkv"), sets));
    const size_t before = HeldBytes();
    SubtitleSourcePtr source = Open(dir.file("pgs.mkv"));
    ASSERT_TRUE(source);
    constexpr size_t kSlack = 96u << 20;  // the 64 MB kept, one scaled bitmap, the decoder's own
    EXPECT_LT(HeldBytes() - before, kSlack);
    const Canvas frame = CanvasOf(1920, 1080);
    for (const int i : {59, 0, 45, 29, 30})
        EXPECT_EQ(Box(source->Render(i * 100'000 + 50'000, frame)),
                  std::make_tuple(10 * i, 0, sets[size_t(i)].objectWidth, sets[size_t(i)].objectHeight))
            << i;
    EXPECT_LT(HeldBytes() - before, kSlack);
}

}  // namespace
}  // namespace plexo::subtitle
