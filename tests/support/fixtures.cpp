#include "support/fixtures.h"

#include "image/jpeg_codec.h"
#include "support/temp_dir.h"

namespace plexo::test {

std::vector<uint8_t> MakeBmpBytes(const BmpLayout& layout)
{
    const bool core = layout.headerSize == 12;
    const size_t stride = (size_t(layout.width) * size_t(layout.bitCount) + 31) / 32 * 4;
    const size_t rowBytes = (size_t(layout.width) * size_t(layout.bitCount) + 7) / 8;
    const uint32_t bitsOffset = uint32_t(14 + layout.headerSize + layout.palette.size() * (core ? 3 : 4) + layout.gap);
    const size_t imageBytes = stride * size_t(layout.height);

    std::vector<uint8_t> out{'B', 'M'};
    for (uint32_t v : {uint32_t(bitsOffset + imageBytes), 0u, bitsOffset, layout.headerSize})
        PutU32(out, v);
    for (int32_t v : {layout.width, layout.topDown ? -layout.height : layout.height})
        core ? PutU16(out, uint32_t(v)) : PutU32(out, uint32_t(v));
    for (int32_t v : {1, layout.bitCount})
        PutU16(out, uint32_t(v));
    if (!core) {
        for (uint32_t v : {layout.compression, uint32_t(imageBytes), 2835u, 2835u, layout.clrUsed.value_or(0), 0u})
            PutU32(out, v);
        out.resize(out.size() + (layout.headerSize > 40 ? layout.headerSize - 40 : 0), 0);
    }
    for (uint32_t c : layout.palette) {
        out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
        if (!core)
            out.push_back(0);
    }
    out.resize(out.size() + layout.gap, 0xEE);
    for (int32_t i = 0; i < layout.height; ++i) {
        const size_t from = size_t(layout.topDown ? layout.height - 1 - i : i) * rowBytes;
        for (size_t b = 0; b < stride; ++b)
            out.push_back(b < rowBytes && from + b < layout.pixels.size() ? layout.pixels[from + b] : 0);
    }
    return out;
}

std::vector<uint8_t> MakeFlmBytes(const FlmLayout& layout)
{
    std::vector<uint8_t> out;
    const uint32_t flags = (layout.colour ? 1u : 0u) | (layout.numbered ? 2u : 0u) | (layout.extension ? 4u : 0u);
    const uint32_t count = uint32_t(layout.frameCount.value_or(int32_t(layout.frames.size())));
    for (uint32_t v : {flags | layout.extraFlags, count, uint32_t(layout.width), uint32_t(layout.height)})
        PutU32(out, v);
    for (uint32_t v : {layout.extensionLength, layout.packed})
        if (layout.extension)
            PutU32(out, v);
    for (size_t i = 0; i < layout.frames.size(); ++i) {
        if (layout.numbered)
            PutU16(out, i < layout.numbers.size() ? layout.numbers[i] : uint32_t(i));
        if (layout.extension && layout.packed)
            PutU32(out, uint32_t(layout.frames[i].size()));
        out.insert(out.end(), layout.frames[i].begin(), layout.frames[i].end());
    }
    return out;
}

std::vector<uint8_t> PatternPixels(int width, int height, int bytesPerPixel, int seed, bool smooth)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < bytesPerPixel; ++c) {
                const int v = smooth ? 40 + (x * 150) / width + (y * 50) / height + c * 10 + seed
                                     : x * 7 + y * 13 + c * 71 + seed * 31 + (x * y) % 5;
                out.push_back(uint8_t(smooth && v > 255 ? 255 : v));
            }
    return out;
}

std::vector<uint8_t> PatternJpeg(int width, int height, int seed)
{
    const std::vector<uint8_t> rgb = PatternPixels(width, height, 3, seed, true);
    return EncodeJpeg(rgb.data(), 3, width, height, 90);
}

namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes, bool big)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(v >> (big ? 8 * (bytes - 1 - i) : 8 * i)));
}

// The stream with a segment of `marker` and `payload` right after its SOI.
std::vector<uint8_t> AfterSoi(const std::vector<uint8_t>& jpeg, uint8_t marker, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> out{jpeg[0], jpeg[1], 0xFF, marker};
    Put(out, uint32_t(payload.size() + 2), 2, true);
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

}  // namespace

std::vector<uint8_t> MakeMpoBytes(const std::vector<MpoPicture>& pictures, bool big)
{
    // "MPF\0", a TIFF header and one directory whose one tag lists the
    // entries (undefined bytes, 16 a picture); offsets count from the TIFF
    // header, 10 bytes into the file, and the first picture is at 0.
    const uint32_t count = uint32_t(pictures.size());
    std::vector<uint8_t> index{'M', 'P', 'F', 0, uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I')};
    for (const auto& [value, bytes] : {std::pair<uint32_t, int>{42, 2}, {8, 4}, {1, 2}, {0xB002, 2}, {7, 2},
                                      {16 * count, 4}, {26, 4}, {0, 4}})
        Put(index, value, bytes, big);
    size_t at = pictures[0].jpeg.size() + 4 + index.size() + 16 * count;
    const uint32_t firstLength = uint32_t(at);
    for (uint32_t i = 0; i < count; ++i) {
        Put(index, pictures[i].type, 4, big);
        Put(index, i == 0 ? firstLength : uint32_t(pictures[i].jpeg.size()), 4, big);
        Put(index, i == 0 ? 0 : uint32_t(at - 10), 4, big);
        Put(index, 0, 4, big);
        at += i == 0 ? 0 : pictures[i].jpeg.size();
    }
    std::vector<uint8_t> out = AfterSoi(pictures[0].jpeg, 0xE2, index);
    for (uint32_t i = 1; i < count; ++i)
        out.insert(out.end(), pictures[i].jpeg.begin(), pictures[i].jpeg.end());
    return out;
}

std::vector<uint8_t> WithJpsBlock(const std::vector<uint8_t>& jpeg, std::array<uint8_t, 4> descriptor)
{
    std::vector<uint8_t> payload{'_', 'J', 'P', 'S', 'J', 'P', 'S', '_', 0, 4};
    payload.insert(payload.end(), descriptor.begin(), descriptor.end());
    payload.insert(payload.end(), {0, 0});
    return AfterSoi(jpeg, 0xE3, payload);
}

}  // namespace plexo::test
