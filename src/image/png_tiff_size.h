#pragma once
// The picture size a PNG or TIFF file states before its pixels: PNG's IHDR
// chunk, TIFF's (and BigTIFF's) first directory. It is read before decoding,
// so that a header that claims a picture beyond the decoded picture limit
// costs nothing.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/picture_limit.h"

namespace plexo {

enum class StillKind { Png, Tiff };

// The kind the first bytes name; none for any other file.
std::optional<StillKind> StillKindOf(const uint8_t* bytes, size_t length);

// The size of the picture a decoder would give (a TIFF's first page); none
// when the header is cut short, malformed or states a side of 0, or when a
// PNG chunk runs past the end of the file.
std::optional<DecodedSize> PngTiffSize(const uint8_t* bytes, size_t length);

}  // namespace plexo
