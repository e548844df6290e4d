#include "image/mpo_index.h"

#include <cstring>

#include "image/jpeg_segments.h"

namespace plexo {

namespace {

constexpr uint8_t kApp2 = 0xE2;
constexpr uint16_t kTagMpEntry = 0xB002;
constexpr uint16_t kTypeUndefined = 7;
constexpr size_t kEntryBytes = 16;
constexpr size_t kDirectoryEntryBytes = 12;

// The MP entries of the block that follows "MPF\0": a TIFF header whose
// offsets count from its own first byte, at `blockAt` in the file.
std::vector<MpEntry> ReadMpBlock(const uint8_t* block, size_t size, size_t blockAt, size_t fileLength)
{
    if (size < 8)
        return {};
    const bool big = block[0] == 'M' && block[1] == 'M';
    if (!big && !(block[0] == 'I' && block[1] == 'I'))
        return {};
    if (Read16(block + 2, big) != 42)
        return {};
    const size_t directory = Read32(block + 4, big);
    if (directory > size || size - directory < 2)
        return {};
    const size_t tags = Read16(block + directory, big);
    if (tags > (size - directory - 2) / kDirectoryEntryBytes)
        return {};
    for (size_t t = 0; t < tags; ++t) {
        const uint8_t* tag = block + directory + 2 + t * kDirectoryEntryBytes;
        if (Read16(tag, big) != kTagMpEntry || Read16(tag + 2, big) != kTypeUndefined)
            continue;
        const size_t bytes = Read32(tag + 4, big);
        const size_t at = Read32(tag + 8, big);
        if (bytes % kEntryBytes != 0 || at > size || bytes > size - at)
            return {};
        std::vector<MpEntry> entries;
        for (size_t e = 0; e < bytes / kEntryBytes; ++e) {
            const uint8_t* entry = block + at + e * kEntryBytes;
            const uint32_t attributes = Read32(entry, big);
            const size_t length = Read32(entry + 4, big);
            const size_t stored = Read32(entry + 8, big);
            // The first picture starts the file and is stored at offset 0;
            // the others count from the TIFF header. Bits 24 to 26 name the
            // coding, 0 for JPEG.
            const size_t offset = stored == 0 ? 0 : blockAt + stored;
            if ((attributes >> 24 & 7) != 0 || length == 0 || offset >= fileLength || length > fileLength - offset)
                continue;
            entries.push_back({attributes & 0xFFFFFF, offset, length});
        }
        return entries;
    }
    return {};
}

}  // namespace

std::vector<MpEntry> ReadMpIndex(const uint8_t* file, size_t length)
{
    std::vector<MpEntry> entries;
    ForEachHeaderSegment(file, length, [&](const JpegSegment& segment) {
        if (segment.marker != kApp2 || segment.length < 4 || std::memcmp(segment.payload, "MPF\0", 4) != 0)
            return true;
        const size_t blockAt = size_t(segment.payload - file) + 4;
        entries = ReadMpBlock(segment.payload + 4, segment.length - 4, blockAt, length);
        return false;
    });
    return entries;
}

std::optional<std::pair<size_t, size_t>> ChooseEyePictures(
    const std::vector<MpEntry>& entries, const std::function<std::optional<MpPictureSize>(const MpEntry&)>& sizeOf)
{
    std::optional<size_t> disparity;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].type == kMpDisparity) {
            if (disparity)
                return std::pair{*disparity, i};
            disparity = i;
        }
    std::vector<std::optional<MpPictureSize>> sizes;
    for (const MpEntry& entry : entries) {
        const bool thumbnail = entry.type == kMpLargeThumbnailVga || entry.type == kMpLargeThumbnailFullHd;
        sizes.push_back(thumbnail ? std::nullopt : sizeOf(entry));
        for (size_t i = 0; i + 1 < sizes.size(); ++i)
            if (sizes[i] && sizes[i] == sizes.back())
                return std::pair{i, sizes.size() - 1};
    }
    return std::nullopt;
}

}  // namespace plexo
