#pragma once
// PNG and TIFF decoding over OpenCV's imgcodecs (libpng, libtiff). Its
// headers stay in the .cpp file.

#include <cstddef>
#include <cstdint>

#include "image/picture.h"

namespace plexo {

// Decodes one whole PNG or TIFF file held in memory (a TIFF's first page)
// into the system's convention: bottom row first, blue, green, red, or grey
// as the library weighs it. Alpha is dropped, deeper samples are brought to 8
// bits, and an orientation tag is ignored, as the JPEG reader ignores it. A
// null buffer when the bytes do not decode; the caller checks the size the
// header states (png_tiff_size.h) first.
PictureBuffer DecodePngTiff(const uint8_t* bytes, size_t length, Tone tone);

}  // namespace plexo
