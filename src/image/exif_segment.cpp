#include "image/exif_segment.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "image/heic_codec.h"
#include "image/input_file.h"
#include "image/jpeg_segments.h"

namespace plexo {

namespace {

constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kExifName[] = {'E', 'x', 'i', 'f', 0, 0};
// The marker and the length before the payload.
constexpr size_t kSegmentHead = 4;
constexpr uint16_t kTagOrientation = 0x0112;
constexpr uint16_t kTypeShort = 3;
// The header segments come first; an APP1 block is at most 64 KiB.
constexpr size_t kHeaderBytes = 256 * 1024;

}  // namespace

std::vector<uint8_t> ExifSegmentOf(const uint8_t* stream, size_t length)
{
    std::vector<uint8_t> segment;
    ForEachHeaderSegment(stream, length, [&](const JpegSegment& s) {
        if (s.marker != kApp1 || s.length < sizeof kExifName ||
            std::memcmp(s.payload, kExifName, sizeof kExifName) != 0)
            return true;
        segment.assign(s.payload - kSegmentHead, s.payload + s.length);
        return false;
    });
    return segment;
}

void SetExifUpright(std::vector<uint8_t>& segment)
{
    const size_t start = kSegmentHead + sizeof kExifName;
    if (segment.size() < start + 8)
        return;
    uint8_t* tiff = segment.data() + start;
    const size_t size = segment.size() - start;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if ((!big && !(tiff[0] == 'I' && tiff[1] == 'I')) || Read16(tiff + 2, big) != 42)
        return;
    const size_t directory = Read32(tiff + 4, big);
    if (directory > size || size - directory < 2)
        return;
    const size_t tags = std::min<size_t>(Read16(tiff + directory, big), (size - directory - 2) / 12);
    for (size_t t = 0; t < tags; ++t) {
        uint8_t* tag = tiff + directory + 2 + t * 12;
        if (Read16(tag, big) == kTagOrientation && Read16(tag + 2, big) == kTypeShort && Read32(tag + 4, big) == 1) {
            // A short value sits at the start of the 4-byte value field.
            tag[8] = big ? 0 : 1;
            tag[9] = big ? 1 : 0;
            return;
        }
    }
}

std::vector<uint8_t> ReadUprightExif(const std::string& path)
{
    std::optional<InputFile> file = InputFile::Open(path);
    if (!file)
        return {};
    std::vector<uint8_t> header(size_t(std::min<int64_t>(file->Length(), kHeaderBytes)));
    if (!file->ReadAt(0, header.data(), header.size()))
        return {};
    // A HEIF file starts with its file-type box; its Exif block is an item
    // of its own, wherever the file puts it.
    const bool heif = header.size() >= 8 && std::memcmp(header.data() + 4, "ftyp", 4) == 0;
    std::vector<uint8_t> segment;
    if (heif) {
        size_t length = 0;
        const std::unique_ptr<uint8_t[]> bytes = ReadWholeFile(path, kMaxHeicFileBytes, length);
        if (bytes)
            segment = HeicExifSegment(bytes.get(), length);
    } else {
        segment = ExifSegmentOf(header.data(), header.size());
    }
    SetExifUpright(segment);
    return segment;
}

}  // namespace plexo
