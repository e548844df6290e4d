#pragma once
// The marker segments of a JPEG stream's header, from its start-of-image
// marker to its first scan, for readers of the application blocks (MPO's
// index, JPS's layout) that TurboJPEG passes over.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace plexo {

struct JpegSegment {
    uint8_t marker;  // 0xE2 for APP2
    // The bytes after the 2-byte length, inside the stream.
    const uint8_t* payload;
    size_t length;
};

// Calls `visit` for each segment in order until it returns false, the first
// scan or the end of the image begins, or the stream ends or breaks. False
// when the stream does not start with a start-of-image marker.
bool ForEachHeaderSegment(const uint8_t* stream, size_t length, const std::function<bool(const JpegSegment&)>& visit);

// Where a writer puts an application block of its own into a stream it
// encoded: after the start-of-image marker and the APP0 (JFIF) and APP1
// (Exif) blocks that readers expect to lead. 0 when the stream does not start
// with a start-of-image marker.
size_t HeaderInsertPoint(const uint8_t* stream, size_t length);

// Big- and little-endian readers over bytes the caller has bounds-checked.
inline uint16_t Read16(const uint8_t* p, bool bigEndian)
{
    return bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}
inline uint32_t Read32(const uint8_t* p, bool bigEndian)
{
    return bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                     : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

}  // namespace plexo
