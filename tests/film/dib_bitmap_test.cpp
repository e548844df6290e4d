#include <gtest/gtest.h>

#include <algorithm>

#include "film/bmp_film.h"
#include "image/dib_bitmap.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::BmpLayout;
using test::MakeBmpBytes;

// A bitmap of `width` x 4 with a table of `tableSize` entries, of which
// `clrUsed` are stored as used (0: not stored); 8-bit indexes run two past
// the table.
BmpLayout Layout(int bitCount, int width, int tableSize = 0, uint32_t clrUsed = 0, uint32_t headerSize = 40,
             bool topDown = false, uint32_t gap = 0)
{
    BmpLayout s{.width = width, .height = 4, .bitCount = bitCount, .topDown = topDown, .headerSize = headerSize,
              .gap = gap, .pixels = test::PatternPixels(width, 4, std::max(bitCount / 8, 1), width)};
    for (int i = 0; i < tableSize; ++i)
        s.palette.push_back(uint32_t(i * 0x030507 + 0x102030) & 0xFFFFFF);
    if (clrUsed)
        s.clrUsed = clrUsed;
    for (size_t i = 0; bitCount == 8 && i < s.pixels.size(); ++i)
        s.pixels[i] = uint8_t(i * 5 % size_t(tableSize + 2));
    return s;
}

// The picture the bitmap rules give: colour as blue, green, red; grey as the
// largest byte for 24 bits and the mean of the table entry for 8 bits; none
// for 32-bit grey and for every other depth. An index past the table is black.
std::vector<uint8_t> Expected(const BmpLayout& s, Tone tone)
{
    std::vector<uint8_t> out;
    if (s.bitCount != 8 && s.bitCount != 24 && (s.bitCount != 32 || tone == Tone::Grey))
        return out;
    for (size_t i = 0; i < size_t(s.width) * size_t(s.height); ++i) {
        const uint32_t entry = s.pixels[i] < s.palette.size() ? s.palette[s.pixels[i]] : 0;
        const uint8_t fromTable[3] = {uint8_t(entry), uint8_t(entry >> 8), uint8_t(entry >> 16)};
        const uint8_t* px = s.bitCount == 8 ? fromTable : &s.pixels[i * size_t(s.bitCount / 8)];
        if (tone == Tone::Colour)
            out.insert(out.end(), px, px + 3);
        else
            out.push_back(s.bitCount == 8 ? uint8_t((px[0] + px[1] + px[2]) / 3) : std::max({px[0], px[1], px[2]}));
    }
    return out;
}

// A bitmap that loads and gives the pictures of its layout, or one refused with
// its message.
struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    BmpLayout layout;
    const char* message = nullptr;
};
Row Good(const char* name, const BmpLayout& layout) { return {name, MakeBmpBytes(layout), layout}; }
Row Bad(const char* name, const std::vector<uint8_t>& bytes, const char* message) { return {name, bytes, {}, message}; }

std::vector<Row> Rows()
{
    auto Cut = [](std::vector<uint8_t> bytes, size_t size) { bytes.resize(size); return bytes; };
    auto Patched = [](std::vector<uint8_t> bytes, size_t at, uint32_t value, int size = 4) {
        for (int i = 0; i < size; ++i)
            bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
        return bytes;
    };
    const auto good = MakeBmpBytes(Layout(24, 3));
    const auto core8 = MakeBmpBytes(Layout(8, 2, 256, 0, 12));
    return {
        Good("Bits24PaddedRows", Layout(24, 3)),
        Good("Bits8ShortTable", Layout(8, 6, 16, 16)),
        Good("Bits32", Layout(32, 2)),
        Good("Bits1", Layout(1, 7, 2)),
        Good("Bits4", Layout(4, 7, 16)),
        Good("Bits16", Layout(16, 7)),
        Good("TopDown24", Layout(24, 5, 0, 0, 40, true)),
        // Rows without padding are taken over as the colour picture.
        Good("TopDown24Unpadded", Layout(24, 4, 0, 0, 40, true)),
        Good("Core8", Layout(8, 5, 256, 0, 12)),
        // 14 + 12 + 4 bytes: shorter than a standard header.
        Good("TinyCore", Layout(24, 1, 0, 0, 12)),
        Good("GapBeforeBits", Layout(8, 5, 256, 0, 40, false, 37)),
        Bad("ThirteenBytes", Cut(good, 13), "Error reading file header"),
        Bad("LettersBA", Patched(good, 1, 'A', 1), "Not a bitmap file"),
        Bad("InfoHeaderCutShort", Cut(good, 14 + 39), "Error reading header information"),
        Bad("HeaderSize108", MakeBmpBytes(Layout(24, 3, 0, 0, 108)), "Unkown DIB format"),
        Bad("ZeroWidth", Patched(good, 18, 0), "Unkown DIB format"),
        Bad("TwoBitDepth", Patched(good, 28, 2, 2), "Unkown DIB format"),
        Bad("ColourUsedBeyondFile", MakeBmpBytes(Layout(8, 2, 4, 300)), "Error reading color table"),
        Bad("CoreTableCutShort", Cut(core8, 14 + 12 + 3 * 100), "Error reading color table data"),
        Bad("BitsCutShort", Cut(good, good.size() - 1), "Error reading bitmap data"),
        Bad("BitsOffsetPastEnd", Patched(good, 10, 1000), "Error reading bitmap data"),
        Bad("Width50000", Patched(good, 18, 50000), "Insufficient memory to read DIB bits"),
        Bad("NegativeHeightMinimum", Patched(good, 22, 0x80000000u), "Insufficient memory to read DIB bits"),
    };
}

class DibBitmap : public testing::TestWithParam<Row> {};
TEST_P(DibBitmap, GivesThePicturesOfItsDepthOrRefusesWithItsMessageKeepingTheOldBitmap)
{
    const Row& row = GetParam();
    test::TempDir dir;
    CDIBitmap bitmap;
    auto load = [&](const std::vector<uint8_t>& bytes, Tone tone) {
        test::WriteBytes(dir.file("x.bmp"), bytes);
        auto input = InputFile::Open(dir.file("x.bmp"));
        const bool ok = bitmap.Load(*input);
        const PictureBuffer p = BitmapPicture(bitmap, tone);
        return std::pair{ok, p ? std::vector<uint8_t>(p.bytes.get(), p.bytes.get() + p.byteCount())
                               : std::vector<uint8_t>{}};
    };
    const BmpLayout before = Layout(24, 5);
    for (const Tone tone : {Tone::Grey, Tone::Colour}) {
        ASSERT_TRUE(load(MakeBmpBytes(before), tone).first);
        test::MessageCapture capture;
        const auto [ok, picture] = load(row.bytes, tone);
        EXPECT_EQ(ok, !row.message);
        EXPECT_EQ(capture.messages, row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
        EXPECT_EQ(picture, Expected(row.message ? before : row.layout, tone));
    }
}
INSTANTIATE_TEST_SUITE_P(AllForms, DibBitmap, testing::ValuesIn(Rows()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
