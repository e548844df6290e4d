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
// else, into `bitmap`; the messages shown are kept.
struct Loaded {
    CDIBitmap bitmap;
    bool ok = false;
    std::vector<std::string> messages;

    void Load(const std::vector<uint8_t>& bytes, size_t lead = 0)
    {
        test::TempDir dir;
        std::vector<uint8_t> file(lead, 0x77);
        file.insert(file.end(), bytes.begin(), bytes.end());
        test::WriteBytes(dir.file("x.bmp"), file);
        auto input = InputFile::Open(dir.file("x.bmp"));
        input->Seek(int64_t(lead));
        test::MessageCapture capture;
        ok = bitmap.Load(*input);
        messages = capture.messages;
    }
    std::vector<uint8_t> Picture(Tone tone) const
    {
        const PictureBuffer p = BitmapPicture(bitmap, tone);
        return p ? std::vector<uint8_t>(p.bytes.get(), p.bytes.get() + p.byteCount()) : std::vector<uint8_t>{};
    }
};

std::vector<uint32_t> Palette(int n)
{
    std::vector<uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back(uint32_t(i * 0x030507 + 0x102030) & 0xFFFFFF);
    return p;
}

BmpSpec Spec(int bitCount, int w, int h, int paletteSize = 0)
{
    BmpSpec s{.width = w, .height = h, .bitCount = bitCount, .palette = Palette(paletteSize)};
    s.pixels = test::PatternPixels(w, h, bitCount / 8, w + h);
    return s;
}

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

// ---- failures: each gives exactly its message and keeps the old bitmap ----

struct BadBitmap {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* message;
};

std::vector<BadBitmap> BadBitmaps()
{
    const auto good = MakeBmpBytes(Spec(24, 3, 2));
    auto later = [](uint32_t headerSize) {
        BmpSpec s = Spec(24, 3, 2);
        s.headerSize = headerSize;
        return MakeBmpBytes(s);
    };
    BmpSpec core8 = Spec(8, 2, 2, 256);
    core8.headerSize = 12;
    BmpSpec rle = Spec(8, 2, 2, 4);
    rle.clrUsed = 4;
    rle.compression = 1;
    BmpSpec shortTable = Spec(8, 2, 2, 4);
    shortTable.clrUsed = 300;
    return {
        {"ThirteenBytes", Cut(good, 13), "Error reading file header"},
        {"LettersBA", Patched(good, 1, 'A', 1), "Not a bitmap file"},
        {"InfoHeaderCutShort", Cut(good, 14 + 39), "Error reading header information"},
        {"CoreHeaderCutShort", Cut(MakeBmpBytes(core8), 14 + 11), "Error reading header information"},
        {"HeaderSize108", later(108), "Unkown DIB format"},
        {"HeaderSize124", later(124), "Unkown DIB format"},
        {"RunLengthBits", MakeBmpBytes(rle), "Unkown DIB format"},
        {"ZeroWidth", Patched(good, 18, 0), "Unkown DIB format"},
        {"TwoBitDepth", Patched(good, 28, 2, 2), "Unkown DIB format"},
        {"ColourUsedBeyondFile", MakeBmpBytes(shortTable), "Error reading color table"},
        {"CoreTableCutShort", Cut(MakeBmpBytes(core8), 14 + 12 + 3 * 100), "Error reading color table data"},
        {"BitsCutShort", Cut(good, good.size() - 1), "Error reading bitmap data"},
        {"BitsOffsetPastEnd", Patched(good, 10, 1000), "Error reading bitmap data"},
        {"Width50000", Patched(good, 18, 50000), "Insufficient memory to read DIB bits"},
        {"NegativeHeightMinimum", Patched(good, 22, 0x80000000u), "Insufficient memory to read DIB bits"},
    };
}

class DibBitmapRefuses : public testing::TestWithParam<BadBitmap> {};
TEST_P(DibBitmapRefuses, WithItsMessageKeepingTheOldBitmap)
{
    Loaded l;
    l.Load(MakeBmpBytes(Spec(24, 5, 4)));
    ASSERT_TRUE(l.ok);
    l.Load(GetParam().bytes);
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.messages, std::vector<std::string>{GetParam().message});
    EXPECT_EQ(l.bitmap.Width(), 5);
    EXPECT_EQ(l.bitmap.Height(), 4);
}
INSTANTIATE_TEST_SUITE_P(DibBitmap, DibBitmapRefuses, testing::ValuesIn(BadBitmaps()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- pictures by depth ----

TEST(DibBitmap, TwentyFourBitsThreeWideHavePaddedRowsAndGreyIsTheLargestByte)
{
    BmpSpec s = Spec(24, 3, 2);
    s.pixels[0] = 10;  // bottom-left pixel: blue 10, green 200, red 30
    s.pixels[1] = 200;
    s.pixels[2] = 30;
    Loaded l;
    l.Load(MakeBmpBytes(s));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.bitmap.RowBytes(), 12);
    EXPECT_EQ(l.Picture(Tone::Colour), s.pixels);
    const auto grey = l.Picture(Tone::Grey);
    ASSERT_EQ(grey.size(), 6u);
    EXPECT_EQ(grey[0], 200);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(grey[i], std::max({s.pixels[3 * i], s.pixels[3 * i + 1], s.pixels[3 * i + 2]}));
}

TEST(DibBitmap, EightBitsSixWideUseTheTableAndShortTableIndexesAreBlack)
{
    BmpSpec s = Spec(8, 6, 3, 16);
    s.clrUsed = 16;
    s.palette[1] = 0x1EC80A;  // blue 10, green 200, red 30
    for (size_t i = 0; i < s.pixels.size(); ++i)
        s.pixels[i] = uint8_t(i % 18);  // 16 and 17 lie beyond the table
    Loaded l;
    l.Load(MakeBmpBytes(s));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.bitmap.ColourCount(), 16);
    EXPECT_EQ(l.bitmap.RowBytes(), 8);
    const auto grey = l.Picture(Tone::Grey);
    const auto colour = l.Picture(Tone::Colour);
    ASSERT_EQ(grey.size(), 18u);
    ASSERT_EQ(colour.size(), 54u);
    EXPECT_EQ(grey[1], 80);
    for (size_t i = 0; i < 18; ++i) {
        const uint32_t e = s.pixels[i] < 16 ? s.palette[s.pixels[i]] : 0;
        EXPECT_EQ((std::vector<uint8_t>(&colour[3 * i], &colour[3 * i + 3])),
                  (std::vector<uint8_t>{uint8_t(e), uint8_t(e >> 8), uint8_t(e >> 16)}));
        EXPECT_EQ(grey[i], (uint8_t(e) + uint8_t(e >> 8) + uint8_t(e >> 16)) / 3);
    }
}

TEST(DibBitmap, ThirtyTwoBitsGiveColourWithoutTheFourthByteAndNoGrey)
{
    const BmpSpec s = Spec(32, 2, 2);
    Loaded l;
    l.Load(MakeBmpBytes(s));
    ASSERT_TRUE(l.ok);
    const auto colour = l.Picture(Tone::Colour);
    ASSERT_EQ(colour.size(), 12u);
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(colour[i], s.pixels[i / 3 * 4 + i % 3]);
    EXPECT_TRUE(l.Picture(Tone::Grey).empty());
}

class DibBitmapNoPicture : public testing::TestWithParam<int> {};
TEST_P(DibBitmapNoPicture, LoadsButGivesNoPicture)
{
    BmpSpec s = Spec(GetParam(), 7, 3, GetParam() <= 4 ? 1 << GetParam() : 0);
    s.pixels = test::PatternPixels(7, 3, 2);
    Loaded l;
    l.Load(MakeBmpBytes(s));
    ASSERT_TRUE(l.ok) << (l.messages.empty() ? "" : l.messages[0]);
    EXPECT_EQ(l.bitmap.RowBytes(), int64_t(test::BmpStride(7, s.bitCount)));
    EXPECT_TRUE(l.Picture(Tone::Grey).empty());
    EXPECT_TRUE(l.Picture(Tone::Colour).empty());
}
INSTANTIATE_TEST_SUITE_P(DibBitmap, DibBitmapNoPicture, testing::Values(1, 4, 16));

// Other layouts of the same picture read the same as the plain bottom-up
// 40-byte form.
struct SameAsPlain {
    const char* name;
    int bitCount;
    int width;
    bool topDown;
    uint32_t headerSize;
    uint32_t gap;
    size_t lead;
};
class DibBitmapLayouts : public testing::TestWithParam<SameAsPlain> {};
TEST_P(DibBitmapLayouts, ReadLikeThePlainForm)
{
    const SameAsPlain p = GetParam();
    const BmpSpec plain = Spec(p.bitCount, p.width, 4, p.bitCount == 8 ? 256 : 0);
    BmpSpec other = plain;
    other.topDown = p.topDown;
    other.headerSize = p.headerSize;
    other.gap = p.gap;
    Loaded a, b;
    a.Load(MakeBmpBytes(plain));
    b.Load(MakeBmpBytes(other), p.lead);
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(b.bitmap.Height(), 4);
    for (Tone tone : {Tone::Grey, Tone::Colour}) {
        ASSERT_FALSE(a.Picture(tone).empty());
        EXPECT_EQ(b.Picture(tone), a.Picture(tone));
    }
}
INSTANTIATE_TEST_SUITE_P(DibBitmap, DibBitmapLayouts,
                         testing::Values(SameAsPlain{"TopDown24", 24, 5, true, 40, 0, 0},
                                         SameAsPlain{"TopDown8", 8, 5, true, 40, 0, 0},
                                         SameAsPlain{"Core24", 24, 5, false, 12, 0, 0},
                                         SameAsPlain{"Core8", 8, 5, false, 12, 0, 0},
                                         // 14 + 12 + 4 bytes: shorter than a standard header.
                                         SameAsPlain{"TinyCore", 24, 1, false, 12, 0, 0},
                                         SameAsPlain{"GapBeforeBits", 8, 5, false, 40, 37, 0},
                                         SameAsPlain{"StartsInsideTheFile", 24, 5, false, 40, 0, 23}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
