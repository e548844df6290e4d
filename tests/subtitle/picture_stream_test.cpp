// PGS display sets written here byte by byte as a SUP file, which ffmpeg
// puts into Matroska: the frame each was shown over, and bitmaps that fall
// out of the kept ones and are decoded again.

#include <gtest/gtest.h>

#include <malloc.h>

#include "subtitle/stream_subtitles.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "video/video_formats.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's allocator's count (g++ ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
static size_t HeldBytes() { return __sanitizer_get_current_allocated_bytes(); }
#else
static size_t HeldBytes() { return mallinfo2().uordblks; }
#endif

namespace plexo::subtitle {
namespace {

// A frame stated, and a new white object there when its size is not 0.
struct Shown {
    int width, height, objectWidth, objectHeight, x, y;
};

// Each {value, byte count} big-endian.
void Put(std::vector<uint8_t>& out, std::initializer_list<std::pair<int, int>> fields)
{
    for (const auto& [value, bytes] : fields)
        for (int b = bytes - 1; b >= 0; --b)
            out.push_back(uint8_t(value >> (8 * b)));
}

// The sets a tenth of a second apart, each segment after its SUP header: a
// presentation of one object, a new epoch's palette and object, the end.
SubtitleSourcePtr Open(const test::TempDir& dir, const std::vector<Shown>& sets)
{
    std::vector<uint8_t> sup;
    int ms = 0;
    const auto segment = [&](int type, const std::vector<uint8_t>& payload) {
        Put(sup, {{0x5047, 2}, {ms * 90, 4}, {0, 4}, {type, 1}, {int(payload.size()), 2}});
        sup.insert(sup.end(), payload.begin(), payload.end());
    };
    for (const Shown& s : sets) {
        std::vector<uint8_t> pcs, ods;
        Put(pcs, {{s.width, 2}, {s.height, 2}, {0x100000, 3}, {s.objectWidth ? 0x80 : 0, 1}, {1, 3}, {0, 4}, {s.x, 2}, {s.y, 2}});
        segment(0x16, pcs);
        if (s.objectWidth) {
            segment(0x14, {0, 0, 1, 235, 128, 128, 255});
            Put(ods, {{0xC0, 4}, {6 * s.objectHeight + 4, 3}, {s.objectWidth, 2}, {s.objectHeight, 2}});
            for (int y = 0; y < s.objectHeight; ++y)
                Put(ods, {{0xC000 | s.objectWidth, 3}, {0x010000, 3}});
            segment(0x15, ods);
        }
        segment(0x80, {});
        ms += 100;
    }
    test::WriteBytes(dir.file("pgs.sup"), sup);
    EXPECT_TRUE(test::RunCommand("ffmpeg -v error -y -i " + dir.file("pgs.sup") + " -c:s copy " + dir.file("pgs.mkv")));
    video::AddVideoFormats();
    std::string why;
    SubtitleSourcePtr source = OpenSubtitleStream(dir.file("pgs.mkv"), 0, why);
    EXPECT_TRUE(source) << why;
    return source;
}

std::tuple<int, int, int, int> Box(const SubtitleBitmap& b) { return {b.x, b.y, b.width, b.height}; }

TEST(PictureStream, ScalesEachSetByTheFrameInForceAndIgnoresAbsurdOnes)
{
    test::TempDir dir;
    // Presentations of 1 × 1 and 9000 × 9000 show the objects defined at
    // 1920 × 1080 and 1280 × 720; FFmpeg moves the first into its frame.
    SubtitleSourcePtr source = Open(dir, {{1920, 1080, 200, 50, 100, 900}, {1, 1, 0, 0, 100, 900},
                                          {1280, 720, 200, 50, 100, 500}, {9000, 9000, 0, 0, 100, 500}});
    ASSERT_TRUE(source);
    const std::tuple<int, int, int, int> expected[] = {
        {50, 450, 100, 25}, {0, 0, 100, 25}, {75, 375, 150, 37}, {75, 375, 150, 37}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Box(source->Render(i * 100'000 + 50'000, CanvasOf(960, 540))), expected[i]) << i;
}

TEST(PictureStream, KeepsDecodedBitmapsWithinTheBudgetAndDecodesTheRestAgain)
{
    test::TempDir dir;
    // 60 sets of 4 MB bitmaps, a smaller object from the 30th on; each moves.
    std::vector<Shown> sets;
    for (int i = 0; i < 60; ++i) {
        const int side = (i % 30 == 0) * (i < 30 ? 1000 : 800);
        sets.push_back({1920, 1080, side, side, 10 * i, 0});
    }
    const size_t before = HeldBytes();
    SubtitleSourcePtr source = Open(dir, sets);
    ASSERT_TRUE(source);
    for (const int i : {59, 0, 45, 29, 30}) {
        const int side = i < 30 ? 1000 : 800;
        EXPECT_EQ(Box(source->Render(i * 100'000 + 50'000, CanvasOf(1920, 1080))), std::tuple(10 * i, 0, side, side));
    }
    // The 64 MB kept, and the decoder's own.
    EXPECT_LT(HeldBytes() - before, size_t(96) << 20);
}

}  // namespace
}  // namespace plexo::subtitle
