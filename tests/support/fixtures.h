#pragma once
// Builders of BMP and .flm files in memory, for tests that need real files of
// any layout: every bitmap depth, both row orders, core and later headers,
// forged fields; raw or packed films, with or without frame numbers.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plexo::test {

struct BmpLayout {
    int32_t width = 1;
    int32_t height = 1;  // positive; topDown stores it negated
    int bitCount = 24;
    bool topDown = false;
    // 40 standard, 12 core (3-byte table entries), 108 or 124 later forms
    // (their extra bytes are zeros).
    uint32_t headerSize = 40;
    uint32_t compression = 0;
    // Colour table entries as blue, green, red; the stored colour-used count
    // is clrUsed when set, else 0.
    std::vector<uint32_t> palette{};  // 0x00RRGGBB
    std::optional<uint32_t> clrUsed{};
    // Unused bytes between the colour table and the rows.
    uint32_t gap = 0;
    // Rows bottom row first, each ceil(width x bitCount / 8) bytes, no padding;
    // the builder pads them and stores them in the chosen order.
    std::vector<uint8_t> pixels{};
};

std::vector<uint8_t> MakeBmpBytes(const BmpLayout& layout);

struct FlmLayout {
    bool colour = false;
    bool numbered = false;
    bool extension = false;
    uint32_t extensionLength = 4;
    uint32_t packed = 0;  // with extension: frames are JPEG streams
    int32_t width = 1;
    int32_t height = 1;
    std::optional<int32_t> frameCount{};  // default: frames.size()
    uint32_t extraFlags = 0;            // or-ed into the flags, for forged headers
    std::vector<uint16_t> numbers{};      // one per frame when numbered
    // Raw pixel bytes, or one JPEG stream per frame when packed (the builder
    // writes the length in front of it).
    std::vector<std::vector<uint8_t>> frames{};
};

std::vector<uint8_t> MakeFlmBytes(const FlmLayout& layout);

// Pixels whose bytes vary with position, colour channel and seed; `smooth`
// keeps neighbours close, which a lossy codec keeps well.
std::vector<uint8_t> PatternPixels(int width, int height, int bytesPerPixel, int seed = 0, bool smooth = false);

// A smooth colour JPEG stream of width x height.
std::vector<uint8_t> PatternJpeg(int width, int height, int seed);

// An MPO file: the JPEG streams one after the other, the first carrying the
// APP2 "MPF" index whose entries give each its MP type.
struct MpoPicture {
    std::vector<uint8_t> jpeg;
    uint32_t type;
};
std::vector<uint8_t> MakeMpoBytes(const std::vector<MpoPicture>& pictures, bool bigEndian = true);

// A JPEG stream with an APP3 "_JPSJPS_" block of the descriptor's four
// bytes: separation, flags, layout, type.
std::vector<uint8_t> WithJpsBlock(const std::vector<uint8_t>& jpeg, std::array<uint8_t, 4> descriptor);

}  // namespace plexo::test
