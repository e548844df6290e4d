#include "image/png_tiff_size.h"

#include <cstring>
#include <limits>

namespace plexo {

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// Reads unsigned integers of either byte order, inside the file's bytes only.
class Reader {
public:
    Reader(const uint8_t* bytes, size_t length, bool bigEndian) : bytes_(bytes), length_(length), big_(bigEndian) {}

    std::optional<uint64_t> At(uint64_t offset, int size) const
    {
        if (offset > length_ || uint64_t(size) > length_ - offset)
            return std::nullopt;
        uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            const uint64_t byte = bytes_[offset + uint64_t(big_ ? i : size - 1 - i)];
            value = value << 8 | byte;
        }
        return value;
    }

private:
    const uint8_t* bytes_;
    size_t length_;
    bool big_;
};

std::optional<DecodedSize> Positive(uint64_t width, uint64_t height)
{
    constexpr uint64_t kMost = uint64_t(std::numeric_limits<int>::max());
    if (width == 0 || height == 0 || width > kMost || height > kMost)
        return std::nullopt;
    return DecodedSize{int(width), int(height)};
}

// The signature, then IHDR first of all chunks: its length, its type, the
// width and the height. Every chunk up to IEND must lie inside the file:
// the decoder allocates a chunk's stated length before it reads it, so a
// few bytes could otherwise claim gigabytes.
std::optional<DecodedSize> PngSize(const uint8_t* bytes, size_t length)
{
    const Reader read(bytes, length, true);
    if (length < 24 || std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return std::nullopt;
    // Length, type, data, CRC.
    for (uint64_t chunk = sizeof kPngSignature;;) {
        const std::optional<uint64_t> size = read.At(chunk, 4);
        if (!size || *size > length - chunk || length - chunk - *size < 12)
            return std::nullopt;
        if (std::memcmp(bytes + chunk + 4, "IEND", 4) == 0)
            break;
        chunk += 12 + *size;
    }
    return Positive(*read.At(16, 4), *read.At(20, 4));
}

// The ImageWidth (256) and ImageLength (257) entries of the first directory;
// either may be a SHORT or a LONG (BigTIFF: a LONG8 too), held in the entry.
std::optional<DecodedSize> TiffSize(const uint8_t* bytes, size_t length)
{
    if (length < 8 || !(bytes[0] == bytes[1] && (bytes[0] == 'I' || bytes[0] == 'M')))
        return std::nullopt;
    const Reader read(bytes, length, bytes[0] == 'M');
    const bool big = read.At(2, 2) == 43u;
    // Classic: a 2-byte entry count, entries of 12 bytes whose value sits at
    // their 8th byte; BigTIFF: 8, 20 and 12.
    const int offsetSize = big ? 8 : 4, countSize = big ? 8 : 2;
    const uint64_t entrySize = big ? 20 : 12, valueAt = big ? 12 : 8;
    const std::optional<uint64_t> directory = read.At(big ? 8 : 4, offsetSize);
    const std::optional<uint64_t> count = directory ? read.At(*directory, countSize) : std::nullopt;
    if (!count)
        return std::nullopt;
    std::optional<uint64_t> width, height;
    // Entries past the file's end stop the walk, so a forged count costs no
    // more than the file's length.
    for (uint64_t i = 0; i < *count; ++i) {
        const uint64_t entry = *directory + uint64_t(countSize) + i * entrySize;
        const std::optional<uint64_t> tag = read.At(entry, 2), type = read.At(entry + 2, 2);
        if (!tag || !type)
            break;
        const int size = *type == 3 ? 2 : *type == 4 ? 4 : *type == 16 && big ? 8 : 0;
        if (size == 0 || (*tag != 256 && *tag != 257))
            continue;
        (*tag == 256 ? width : height) = read.At(entry + valueAt, size);
    }
    if (!width || !height)
        return std::nullopt;
    return Positive(*width, *height);
}

}  // namespace

std::optional<StillKind> StillKindOf(const uint8_t* bytes, size_t length)
{
    if (length >= sizeof kPngSignature && std::memcmp(bytes, kPngSignature, sizeof kPngSignature) == 0)
        return StillKind::Png;
    if (length >= 4 && (std::memcmp(bytes, "II*\0", 4) == 0 || std::memcmp(bytes, "MM\0*", 4) == 0 ||
                        std::memcmp(bytes, "II+\0", 4) == 0 || std::memcmp(bytes, "MM\0+", 4) == 0))
        return StillKind::Tiff;
    return std::nullopt;
}

std::optional<DecodedSize> PngTiffSize(const uint8_t* bytes, size_t length)
{
    const std::optional<StillKind> kind = StillKindOf(bytes, length);
    if (!kind)
        return std::nullopt;
    return *kind == StillKind::Png ? PngSize(bytes, length) : TiffSize(bytes, length);
}

}  // namespace plexo
