#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "image/png_tiff_size.h"

namespace plexo {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, uint64_t value, int size, bool big)
{
    for (int i = 0; i < size; ++i)
        b.push_back(uint8_t(value >> (8 * (big ? size - 1 - i : i))));
}

// IHDR, a text chunk of `text` bytes that states `stated` (its length when
// 0), IEND; CRCs are not looked at.
Bytes Png(uint32_t width, uint32_t height, uint32_t text = 0, uint32_t stated = 0)
{
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    Put(b, width, 4, true);
    Put(b, height, 4, true);
    b.insert(b.end(), 5 + 4, 0);
    Put(b, stated ? stated : text, 4, true);
    b.insert(b.end(), {'t', 'E', 'X', 't'});
    b.insert(b.end(), text + 4, 'x');
    b.insert(b.end(), {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0});
    return b;
}

struct Entry {
    uint16_t tag, type;
    uint64_t value;
};

// A TIFF (BigTIFF when `big`) whose first directory, after an unused gap of
// four bytes, holds `entries` and claims `count` of them (their number when 0).
Bytes Tiff(bool bigEndian, bool big, const std::vector<Entry>& entries, uint64_t count = 0)
{
    Bytes b = {uint8_t(bigEndian ? 'M' : 'I'), uint8_t(bigEndian ? 'M' : 'I')};
    Put(b, big ? 43 : 42, 2, bigEndian);
    if (big)
        Put(b, 8, 2, bigEndian), Put(b, 0, 2, bigEndian);
    const size_t directory = b.size() + (big ? 8 : 4) + 4;
    Put(b, directory, big ? 8 : 4, bigEndian);
    Put(b, 0xdeadbeef, 4, bigEndian);
    Put(b, count ? count : entries.size(), big ? 8 : 2, bigEndian);
    for (const Entry& e : entries) {
        Put(b, e.tag, 2, bigEndian);
        Put(b, e.type, 2, bigEndian);
        Put(b, 1, big ? 8 : 4, bigEndian);
        // A value is left-justified in its field.
        const int size = e.type == 3 ? 2 : e.type == 16 ? 8 : 4;
        Put(b, e.value, size, bigEndian);
        Put(b, 0, (big ? 8 : 4) - size, bigEndian);
    }
    return b;
}

// The header's size or none, for either byte order and form; entries whose
// type is not a number are passed over, and nothing is read past the bytes
// given however the header points outside them. A PNG chunk that would run
// past the file makes the file none.
TEST(PngTiffSize, IsWhatTheHeaderStates)
{
    const Entry w{256, 3, 640}, h{257, 4, 480};
    Bytes cut = Tiff(false, false, {w, h});
    cut.pop_back();
    Bytes cutPng = Png(4, 4, 8);
    cutPng.pop_back();
    Bytes farDirectory = Tiff(true, false, {w, h});
    farDirectory[7] = 0xff;
    const std::pair<Bytes, std::optional<std::pair<int, int>>> cases[] = {
        {Png(2880, 1988), std::pair{2880, 1988}},
        {Png(0, 4), std::nullopt},
        {Png(0x80000000u, 4), std::nullopt},
        {cutPng, std::nullopt},
        {Png(4, 4, 8), std::pair{4, 4}},
        {Png(4, 4, 8, 0x69667900), std::nullopt},
        {Png(4, 4, 8, 9), std::nullopt},
        {Tiff(false, false, {w, h}), std::pair{640, 480}},
        {Tiff(true, false, {{1, 2, 9}, h, w}), std::pair{640, 480}},
        {Tiff(true, true, {w, {257, 16, 70000}}), std::pair{640, 70000}},
        {Tiff(false, true, {{256, 4, 7}, h}), std::pair{7, 480}},
        {Tiff(false, false, {{256, 2, 7}, h}), std::nullopt},
        {Tiff(false, false, {w, h}, 60000), std::pair{640, 480}},
        {Tiff(false, false, {w}), std::nullopt},
        {cut, std::nullopt},
        {farDirectory, std::nullopt},
        {Bytes{'G', 'I', 'F', '8', '9', 'a'}, std::nullopt},
    };
    for (const auto& [bytes, size] : cases) {
        const std::optional<DecodedSize> found = PngTiffSize(bytes.data(), bytes.size());
        EXPECT_EQ(found ? std::optional(std::pair{found->width, found->height}) : std::nullopt, size)
            << testing::PrintToString(bytes);
    }
}

}  // namespace
}  // namespace plexo
