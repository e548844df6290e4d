#include "image/jps_block.h"

#include <cstring>

#include "image/jpeg_segments.h"

namespace plexo {

namespace {

constexpr uint8_t kApp3 = 0xE3;
constexpr size_t kIdentifier = 8;  // "_JPSJPS_"

// The descriptor's four bytes, in order: separation, flags, layout, type.
constexpr uint8_t kHalfHeight = 1, kHalfWidth = 2, kLeftFirst = 4;
constexpr uint8_t kSideBySide = 2, kOverUnder = 3;
constexpr uint8_t kMonoType = 0, kStereoType = 1;

std::optional<StereoLayout> LayoutOfDescriptor(const uint8_t* d)
{
    const uint8_t flags = d[1], layout = d[2], type = d[3];
    if (type == kMonoType)
        return StereoLayout{};
    if (type != kStereoType || (layout != kSideBySide && layout != kOverUnder))
        return std::nullopt;
    const bool sideBySide = layout == kSideBySide;
    return StereoLayout{sideBySide ? LayoutKind::SideBySide : LayoutKind::TopBottom,
                        (flags & (sideBySide ? kHalfWidth : kHalfHeight)) != 0, (flags & kLeftFirst) == 0};
}

}  // namespace

std::vector<uint8_t> JpsBlockFor(const StereoLayout& layout)
{
    const bool sideBySide = layout.kind == LayoutKind::SideBySide;
    uint8_t flags = layout.rightFirst ? 0 : kLeftFirst;
    if (layout.half)
        flags |= sideBySide ? kHalfWidth : kHalfHeight;
    const uint8_t type = layout.mono() ? kMonoType : kStereoType;
    const uint8_t kind = layout.mono() ? 0 : sideBySide ? kSideBySide : kOverUnder;
    // The length counts itself, the identifier, the block's length and the
    // descriptor: separation, flags, layout, type.
    std::vector<uint8_t> segment{0xFF, kApp3, 0, 2 + kIdentifier + 2 + 4};
    segment.insert(segment.end(), {'_', 'J', 'P', 'S', 'J', 'P', 'S', '_', 0, 4, 0});
    segment.insert(segment.end(), {layout.mono() ? uint8_t(0) : flags, kind, type});
    return segment;
}

std::optional<StereoLayout> ReadJpsLayout(const uint8_t* stream, size_t length)
{
    std::optional<StereoLayout> found;
    ForEachHeaderSegment(stream, length, [&](const JpegSegment& segment) {
        if (segment.marker != kApp3 || segment.length < kIdentifier + 2 ||
            std::memcmp(segment.payload, "_JPSJPS_", kIdentifier) != 0)
            return true;
        // A 2-byte length of the descriptor block, then the descriptor.
        const size_t block = Read16(segment.payload + kIdentifier, true);
        if (block >= 4 && segment.length - kIdentifier - 2 >= 4)
            found = LayoutOfDescriptor(segment.payload + kIdentifier + 2);
        return false;
    });
    return found;
}

}  // namespace plexo
