#pragma once
// Writing one BMP file from a 40-byte bitmap information header, the colour
// table that follows it, and bottom-up pixel rows.

#include <cstdint>
#include <string>
#include <vector>

#include "image/picture.h"
#include "platform/atomic_file.h"
#include "platform/bitmap_info_header.h"

namespace plexo {

using BitmapInfoHeader = platform::BitmapInfoHeader;

// `headerAndPalette` is the 40 header bytes followed by the palette (4 bytes
// an entry, 2^bitCount entries for 8 bits or fewer); `pixels` holds unpadded
// rows, bottom row first. The file is written under a temporary name and
// renamed over `path` only when whole; false leaves no file of ours behind.
bool WriteBmpFile(const std::string& path, const uint8_t* headerAndPalette, const uint8_t* pixels);
// The same bytes into a file the caller commits; false when the header is
// refused or a write failed.
bool WriteBmpInto(platform::AtomicFile& file, const uint8_t* headerAndPalette, const uint8_t* pixels);

// The header (and grey palette for 1 byte a pixel) of a picture, ready for
// WriteBmpFile: 24 bits for colour; for grey 8 bits, 256 colours used and
// important, and a 256-step grey table.
std::vector<uint8_t> BitmapHeaderFor(const Picture& picture);

}  // namespace plexo
