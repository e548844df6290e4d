#include <gtest/gtest.h>

#include "film/bmp_film.h"
#include "film/dib_bitmap.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::BmpSpec;
using test::MakeBmpBytes;

// Loads bytes through a real file, optionally after `lead` bytes of something
// else.
struct Loaded {
    bool ok = false;
    std::vector<std::string> messages;
    CDIBitmap bitmap;
};
void LoadBytes(Loaded& into, const std::vector<uint8_t>& bytes, size_t lead = 0)
{
    test::TempDir dir;
    std::vector<uint8_t> file(lead, 0x77);
    file.insert(file.end(), bytes.begin(), bytes.end());
    test::WriteBytes(dir.file("x.bmp"), file);
    auto input = InputFile::Open(dir.file("x.bmp"));
    ASSERT_TRUE(input);
    input->Seek(int64_t(lead));
    test::MessageCapture capture;
    into.ok = into.bitmap.Load(*input);
    into.messages = capture.messages;
}

BmpSpec Spec24(int w, int h, bool topDown = false)
{
    BmpSpec s;
    s.width = w;
    s.height = h;
    s.topDown = topDown;
    s.pixels = test::PatternPixels(w, h, 3, w + h);
    return s;
}

BmpSpec Spec8(int w, int h, std::vector<uint32_t> palette)
{
    BmpSpec s;
    s.width = w;
    s.height = h;
    s.bitCount = 8;
    s.palette = std::move(palette);
    for (int i = 0; i < w * h; ++i)
        s.pixels.push_back(uint8_t(i % (s.palette.size() + 2)));
    return s;
}

std::vector<uint32_t> Palette(int n)
{
    std::vector<uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back(uint32_t(i * 0x030507 + 0x102030) & 0xFFFFFF);
    return p;
}

// ---- failures: each gives exactly its message and keeps the old bitmap ----

struct BadBitmap {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* message;
};

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, uint32_t value, int size = 4)
{
    for (int i = 0; i < size; ++i)
        bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
    return bytes;
}
std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

std::vector<BadBitmap> BadBitmaps()
{
    const auto good24 = MakeBmpBytes(Spec24(3, 2));
    auto v108 = Spec24(3, 2);
    v108.headerSize = 108;
    auto v124 = Spec24(3, 2);
    v124.headerSize = 124;
    auto core8 = Spec8(2, 2, Palette(256));
    core8.headerSize = 12;
    auto shortTable = Spec8(2, 2, Palette(4));
    shortTable.clrUsed = 300;
    auto rle = Spec8(2, 2, Palette(4));
    rle.clrUsed = 4;
    rle.compression = 1;
    return {
        {"ThirteenBytes", Cut(good24, 13), "Error reading file header"},
        {"LettersBA", Patched(good24, 1, 'A', 1), "Not a bitmap file"},
        {"InfoHeaderCutShort", Cut(good24, 14 + 39), "Error reading header information"},
        {"CoreHeaderCutShort", Cut(MakeBmpBytes(core8), 14 + 11), "Error reading header information"},
        {"HeaderSize108", MakeBmpBytes(v108), "Unkown DIB format"},
        {"HeaderSize124", MakeBmpBytes(v124), "Unkown DIB format"},
        {"RunLengthBits", MakeBmpBytes(rle), "Unkown DIB format"},
        {"ZeroWidth", Patched(good24, 18, 0), "Unkown DIB format"},
        {"TwoBitDepth", Patched(good24, 28, 2, 2), "Unkown DIB format"},
        {"ColourUsedBeyondFile", MakeBmpBytes(shortTable), "Error reading color table"},
        {"CoreTableCutShort", Cut(MakeBmpBytes(core8), 14 + 12 + 3 * 100), "Error reading color table data"},
        {"BitsCutShort", Cut(good24, good24.size() - 1), "Error reading bitmap data"},
        {"BitsOffsetPastEnd", Patched(good24, 10, 1000), "Error reading bitmap data"},
        // A 50000-pixel-wide header on a 60-byte file: refused before any
        // allocation at its size.
        {"Bomb50000Wide", Patched(good24, 18, 50000), "Insufficient memory to read DIB bits"},
        {"Bomb5000x5000On60Bytes", Patched(Patched(good24, 18, 5000), 22, 5000), "Error reading bitmap data"},
        {"NegativeHeightMinimum", Patched(good24, 22, 0x80000000u), "Insufficient memory to read DIB bits"},
    };
}

class DibBitmapRefuses : public testing::TestWithParam<BadBitmap> {};
TEST_P(DibBitmapRefuses, WithItsMessageKeepingTheOldBitmap)
{
    Loaded l;
    LoadBytes(l, MakeBmpBytes(Spec24(5, 4)));
    ASSERT_TRUE(l.ok);
    LoadBytes(l, GetParam().bytes);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.messages, std::vector<std::string>{GetParam().message});
    EXPECT_EQ(l.bitmap.Width(), 5);
    EXPECT_EQ(l.bitmap.Height(), 4);
}
INSTANTIATE_TEST_SUITE_P(DibBitmap, DibBitmapRefuses, testing::ValuesIn(BadBitmaps()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- pictures by depth ----

std::vector<uint8_t> Bytes(const PictureBuffer& p)
{
    return p ? std::vector<uint8_t>(p.bytes.get(), p.bytes.get() + p.byteCount()) : std::vector<uint8_t>{};
}

TEST(DibBitmap, TwentyFourBitsThreeWideHavePaddedRowsAndGreyIsTheLargestByte)
{
    BmpSpec s = Spec24(3, 2);
    s.pixels[0] = 10;  // bottom-left pixel: blue 10, green 200, red 30
    s.pixels[1] = 200;
    s.pixels[2] = 30;
    Loaded l;
    LoadBytes(l, MakeBmpBytes(s));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.bitmap.RowBytes(), 12);
    EXPECT_EQ(Bytes(BitmapPicture(l.bitmap, Tone::Colour)), s.pixels);
    const auto grey = Bytes(BitmapPicture(l.bitmap, Tone::Grey));
    ASSERT_EQ(grey.size(), 6u);
    EXPECT_EQ(grey[0], 200);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(grey[i], std::max({s.pixels[3 * i], s.pixels[3 * i + 1], s.pixels[3 * i + 2]}));
}

TEST(DibBitmap, EightBitsSixWideUseTheTableAndShortTableIndexesAreBlack)
{
    BmpSpec s = Spec8(6, 3, Palette(16));
    s.clrUsed = 16;
    s.palette[1] = 0x1EC80A;  // blue 10, green 200, red 30
    s.pixels[0] = 1;
    s.pixels[1] = 200;  // beyond the 16 entries
    Loaded l;
    LoadBytes(l, MakeBmpBytes(s));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.bitmap.ColourCount(), 16);
    EXPECT_EQ(l.bitmap.RowBytes(), 8);
    const auto grey = Bytes(BitmapPicture(l.bitmap, Tone::Grey));
    const auto colour = Bytes(BitmapPicture(l.bitmap, Tone::Colour));
    ASSERT_EQ(grey.size(), 18u);
    ASSERT_EQ(colour.size(), 54u);
    EXPECT_EQ(grey[0], 80);
    EXPECT_EQ(grey[1], 0);
    EXPECT_EQ((std::vector<uint8_t>(colour.begin(), colour.begin() + 6)), (std::vector<uint8_t>{10, 200, 30, 0, 0, 0}));
    for (size_t i = 2; i < 18; ++i) {
        const uint32_t e = s.pixels[i] < 16 ? s.palette[s.pixels[i]] : 0;
        EXPECT_EQ(colour[3 * i], uint8_t(e));
        EXPECT_EQ(colour[3 * i + 2], uint8_t(e >> 16));
        EXPECT_EQ(grey[i], (uint8_t(e) + uint8_t(e >> 8) + uint8_t(e >> 16)) / 3);
    }
}

TEST(DibBitmap, ThirtyTwoBitsGiveColourWithoutTheFourthByteAndNoGrey)
{
    BmpSpec s;
    s.width = 2;
    s.height = 2;
    s.bitCount = 32;
    s.pixels = test::PatternPixels(2, 2, 4, 9);
    Loaded l;
    LoadBytes(l, MakeBmpBytes(s));
    ASSERT_TRUE(l.ok);
    const auto colour = Bytes(BitmapPicture(l.bitmap, Tone::Colour));
    ASSERT_EQ(colour.size(), 12u);
    for (size_t i = 0; i < 4; ++i)
        for (size_t c = 0; c < 3; ++c)
            EXPECT_EQ(colour[3 * i + c], s.pixels[4 * i + c]);
    EXPECT_FALSE(BitmapPicture(l.bitmap, Tone::Grey));
}

class DibBitmapNoPicture : public testing::TestWithParam<int> {};
TEST_P(DibBitmapNoPicture, LoadsButGivesNoPicture)
{
    BmpSpec s;
    s.width = 7;
    s.height = 3;
    s.bitCount = GetParam();
    if (s.bitCount <= 4)
        s.palette = Palette(1 << s.bitCount);
    s.pixels = test::PatternPixels(7, 3, 2);
    Loaded l;
    LoadBytes(l, MakeBmpBytes(s));
    ASSERT_TRUE(l.ok) << (l.messages.empty() ? "" : l.messages[0]);
    EXPECT_EQ(l.bitmap.RowBytes(), int64_t(test::BmpStride(7, s.bitCount)));
    EXPECT_FALSE(BitmapPicture(l.bitmap, Tone::Grey));
    EXPECT_FALSE(BitmapPicture(l.bitmap, Tone::Colour));
}
INSTANTIATE_TEST_SUITE_P(DibBitmap, DibBitmapNoPicture, testing::Values(1, 4, 16));

// Other layouts of the same picture read the same as the plain bottom-up
// 40-byte form.
struct SameAsPlain {
    const char* name;
    int bitCount;
    bool topDown;
    uint32_t headerSize;
    uint32_t gap;
    size_t lead;
};
class DibBitmapLayouts : public testing::TestWithParam<SameAsPlain> {};
TEST_P(DibBitmapLayouts, ReadLikeThePlainForm)
{
    const SameAsPlain p = GetParam();
    BmpSpec plain = p.bitCount == 8 ? Spec8(5, 4, Palette(256)) : Spec24(5, 4);
    BmpSpec other = plain;
    other.topDown = p.topDown;
    other.headerSize = p.headerSize;
    other.gap = p.gap;
    Loaded a, b;
    LoadBytes(a, MakeBmpBytes(plain));
    LoadBytes(b, MakeBmpBytes(other), p.lead);
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(b.bitmap.Height(), 4);
    EXPECT_EQ(std::vector<uint8_t>(b.bitmap.HeaderBlock() + 40, b.bitmap.HeaderBlock() + 40 + 4 * b.bitmap.ColourCount()),
              std::vector<uint8_t>(a.bitmap.HeaderBlock() + 40, a.bitmap.HeaderBlock() + 40 + 4 * a.bitmap.ColourCount()));
    for (Tone tone : {Tone::Grey, Tone::Colour}) {
        const auto expected = Bytes(BitmapPicture(a.bitmap, tone));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(Bytes(BitmapPicture(b.bitmap, tone)), expected);
    }
}
INSTANTIATE_TEST_SUITE_P(DibBitmap, DibBitmapLayouts,
                         testing::Values(SameAsPlain{"TopDown24", 24, true, 40, 0, 0},
                                         SameAsPlain{"TopDown8", 8, true, 40, 0, 0},
                                         SameAsPlain{"Core24", 24, false, 12, 0, 0},
                                         SameAsPlain{"Core8", 8, false, 12, 0, 0},
                                         SameAsPlain{"GapBeforeBits", 8, false, 40, 37, 0},
                                         SameAsPlain{"StartsInsideTheFile", 24, false, 40, 0, 23}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DibBitmap, TinyCoreBitmapShorterThanAStandardHeaderLoads)
{
    BmpSpec s = Spec24(1, 1);
    s.headerSize = 12;
    const auto bytes = MakeBmpBytes(s);
    ASSERT_LT(bytes.size(), 14u + 40u);
    Loaded l;
    LoadBytes(l, bytes);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(Bytes(BitmapPicture(l.bitmap, Tone::Colour)), s.pixels);
}

}  // namespace
}  // namespace plexo
