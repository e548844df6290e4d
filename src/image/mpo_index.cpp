#include "image/mpo_index.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "image/jpeg_segments.h"

namespace plexo {

namespace {

constexpr uint8_t kApp2 = 0xE2;
constexpr uint8_t kStartOfImage = 0xD8, kEndOfImage = 0xD9, kStartOfScan = 0xDA;
constexpr uint16_t kTagMpEntry = 0xB002;
constexpr uint16_t kTypeUndefined = 7;
constexpr size_t kEntryBytes = 16;
constexpr size_t kDirectoryEntryBytes = 12;

// An MP entry as stored: where its picture lies, before anyone checked
// that it lies in the file.
struct StoredEntry {
    uint32_t attributes;
    uint64_t offset;
    uint64_t length;
};

// The MP entries of the block that follows "MPF\0": a TIFF header whose
// offsets count from its own first byte, at `blockAt` in the file. Empty when
// the block is damaged.
std::vector<StoredEntry> ReadMpBlock(const uint8_t* block, size_t size, size_t blockAt)
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
        std::vector<StoredEntry> entries;
        for (size_t e = 0; e < bytes / kEntryBytes; ++e) {
            const uint8_t* entry = block + at + e * kEntryBytes;
            const uint32_t stored = Read32(entry + 8, big);
            // The first picture starts the file and is stored at offset 0;
            // the others count from the TIFF header.
            entries.push_back(
                {Read32(entry, big), stored == 0 ? 0 : uint64_t(blockAt) + stored, Read32(entry + 4, big)});
        }
        return entries;
    }
    return {};
}

// The stored entries of the file's index; empty without one.
std::vector<StoredEntry> ReadStoredIndex(const uint8_t* file, size_t length)
{
    std::vector<StoredEntry> entries;
    ForEachHeaderSegment(file, length, [&](const JpegSegment& segment) {
        if (segment.marker != kApp2 || segment.length < 4 || std::memcmp(segment.payload, "MPF\0", 4) != 0)
            return true;
        const size_t blockAt = size_t(segment.payload - file) + 4;
        entries = ReadMpBlock(segment.payload + 4, segment.length - 4, blockAt);
        return false;
    });
    return entries;
}

// Bits 24 to 26 of the attributes name the coding, 0 for JPEG.
bool Jpeg(const StoredEntry& entry) { return (entry.attributes >> 24 & 7) == 0; }

bool InFile(const StoredEntry& entry, size_t fileLength)
{
    return entry.length > 0 && entry.offset < fileLength && entry.length <= fileLength - entry.offset;
}

bool StartsStream(const uint8_t* file, size_t length, size_t at)
{
    return length - at >= 2 && file[at] == 0xFF && file[at + 1] == kStartOfImage;
}

// Just past the end-of-image marker of the stream that starts at `at`: its
// header's segments are stepped over by their lengths (an Exif block holds a
// thumbnail with markers of its own), its coded data byte by byte to the next
// marker. A stream that has none ends where the next stream starts or at the
// end of the file.
size_t StreamEnd(const uint8_t* file, size_t length, size_t at)
{
    size_t p = at + 2;
    bool coded = false;
    while (p + 1 < length) {
        if (file[p] != 0xFF) {
            ++p;
            continue;
        }
        const uint8_t marker = file[p + 1];
        // Stuffed bytes, fill bytes and restarts belong to the coded data.
        if (marker == 0xFF || (coded && (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7)))) {
            ++p;
            continue;
        }
        if (marker == kEndOfImage)
            return p + 2;
        if (marker == kStartOfImage)
            return p;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            p += 2;
            continue;
        }
        if (length - p < 4)
            break;
        const size_t segment = Read16(file + p + 2, true);
        if (segment < 2 || segment > length - p - 2)
            break;
        p += 2 + segment;
        coded = marker == kStartOfScan;
    }
    return length;
}

// The JPEG streams of the file in order, found by their markers as readers do
// that pass over a damaged index: the first at the start, each next at the
// first start-of-image marker after the one before ends. At most `most`.
std::vector<std::pair<size_t, size_t>> StreamsByMarkers(const uint8_t* file, size_t length, size_t most)
{
    std::vector<std::pair<size_t, size_t>> streams;
    size_t at = 0;
    while (streams.size() < most && at < length && StartsStream(file, length, at)) {
        const size_t end = StreamEnd(file, length, at);
        streams.emplace_back(at, end - at);
        at = end;
        while (at < length && !StartsStream(file, length, at))
            ++at;
    }
    return streams;
}

}  // namespace

std::vector<MpEntry> ReadMpIndex(const uint8_t* file, size_t length)
{
    std::vector<MpEntry> entries;
    for (const StoredEntry& entry : ReadStoredIndex(file, length))
        if (Jpeg(entry) && InFile(entry, length))
            entries.push_back({entry.attributes & 0xFFFFFF, size_t(entry.offset), size_t(entry.length)});
    return entries;
}

MpoPictureList FindMpoPictures(const uint8_t* file, size_t length)
{
    MpoPictureList list;
    std::vector<StoredEntry> stored = ReadStoredIndex(file, length);
    std::erase_if(stored, [](const StoredEntry& entry) { return !Jpeg(entry); });
    list.listed = stored.size();
    std::unordered_set<uint64_t> offsets;
    const bool trusted = std::all_of(stored.begin(), stored.end(), [&](const StoredEntry& entry) {
        return InFile(entry, length) && StartsStream(file, length, size_t(entry.offset)) &&
               offsets.insert(entry.offset).second;
    });
    if (trusted) {
        for (const StoredEntry& entry : stored)
            list.pictures.push_back({entry.attributes & 0xFFFFFF, size_t(entry.offset), size_t(entry.length)});
        return list;
    }
    // The index's types still say which pictures are the eyes, in its order.
    list.foundByMarkers = true;
    const auto streams = StreamsByMarkers(file, length, std::max<size_t>(stored.size(), 2));
    for (size_t i = 0; i < streams.size(); ++i)
        list.pictures.push_back({i < stored.size() ? stored[i].attributes & 0xFFFFFF : 0, streams[i].first,
                                 streams[i].second});
    return list;
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
