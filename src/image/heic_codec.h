#pragma once
// HEIC and HEIF stills through libheif (libde265 decodes, x265 encodes): the
// pictures of a file, its stereo pair where a `ster` group names one, and a
// phone's spatial photo written from two eyes. libheif 1.15 knows no entity
// groups; image/heif_boxes.h reads and writes them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/picture.h"
#include "image/spatial_facts.h"

namespace plexo {

inline constexpr int64_t kMaxHeicFileBytes = int64_t(1) << 30;

struct HeicPictures {
    // Colour, bottom row first, turned and mirrored as the file says.
    PictureBuffer first;
    // The right eye; null without a pair, or when it does not decode.
    PictureBuffer second;
    // A `ster` group names the pair.
    bool pairNamed = false;
    SpatialFacts spatial;
    // Why a named pair gives one picture; empty otherwise.
    std::string flatReason;
};

// The bytes' stereo pair when `pair` asks for it and a group names one, else
// their primary picture; both null when the bytes do not read as HEIF, the
// picture does not decode or the pictures would pass the decoded picture
// limit, which is checked from the headers before anything is decoded (and
// logged for `path`).
HeicPictures DecodeHeic(const uint8_t* bytes, size_t length, bool pair, const std::string& path);
// The same of a regular file, opened without blocking.
HeicPictures ReadHeicFile(const std::string& path, bool pair);

// The Exif block of the file's primary picture as a JPEG APP1 segment
// (marker first, "Exif\0\0", the TIFF block); empty without one.
std::vector<uint8_t> HeicExifSegment(const uint8_t* bytes, size_t length);

// A spatial photo: the two eyes (alike in size) encoded at `quality` (1 to
// 100), the left one primary, tied by a `ster` group, with the Exif segment
// (as HeicExifSegment gives it; may be empty) and the spatial facts as XMP.
// Nothing, after a log line, when an eye cannot be encoded.
std::optional<std::vector<uint8_t>> EncodeSpatialHeic(const Picture& left, const Picture& right, int quality,
                                                      const std::vector<uint8_t>& exifSegment,
                                                      const SpatialFacts& spatial);

}  // namespace plexo
