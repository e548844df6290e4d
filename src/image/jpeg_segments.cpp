#include "image/jpeg_segments.h"

namespace plexo {

namespace {

constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;

// Markers that stand alone, without a length: TEM and the restarts.
bool Standalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

bool ForEachHeaderSegment(const uint8_t* stream, size_t length, const std::function<bool(const JpegSegment&)>& visit)
{
    if (!stream || length < 2 || stream[0] != 0xFF || stream[1] != 0xD8)
        return false;
    size_t at = 2;
    while (at < length) {
        if (stream[at] != 0xFF)
            return true;
        // Any number of fill bytes may precede a marker.
        while (at < length && stream[at] == 0xFF)
            ++at;
        if (at >= length)
            return true;
        const uint8_t marker = stream[at++];
        if (marker == kStartOfScan || marker == kEndOfImage)
            return true;
        if (Standalone(marker))
            continue;
        if (length - at < 2)
            return true;
        const size_t segment = Read16(stream + at, true);
        if (segment < 2 || segment > length - at)
            return true;
        if (!visit({marker, stream + at + 2, segment - 2}))
            return true;
        at += segment;
    }
    return true;
}

size_t HeaderInsertPoint(const uint8_t* stream, size_t length)
{
    size_t at = 0;
    const bool jpeg = ForEachHeaderSegment(stream, length, [&](const JpegSegment& segment) {
        if (segment.marker != 0xE0 && segment.marker != 0xE1)
            return false;
        at = size_t(segment.payload - stream) + segment.length;
        return true;
    });
    return !jpeg ? 0 : at == 0 ? 2 : at;
}

}  // namespace plexo
