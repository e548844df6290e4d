#pragma once
// Shaping a picture for conversion: reducing by a whole factor, cutting to a
// size around the centre, and the byte order the JPEG writer wants. Results
// go into caller-owned stores, so that a conversion reuses the same bytes
// from frame to frame.

#include <cstdint>
#include <vector>

#include "image/picture.h"
#include "image/write_bmp_file.h"

namespace plexo {

// Bytes that keep their capacity across frames.
using PictureStore = std::vector<uint8_t>;

// A picture of width / factor x height / factor (integer division); every byte
// is the rounded mean (sum + n/2) / n of its factor x factor block, n =
// factor^2. Columns at the right and rows at the top that do not fill a block
// are dropped. An empty view when the factor is below 1 or nothing is left.
Picture ReducePicture(const Picture& source, int factor, PictureStore& store);

// Cuts `source` to targetWidth x targetHeight around its centre; a target
// below 1 or above the picture's side keeps that side. On return the targets
// hold the size used. The result is `source` itself when nothing is cut; an
// odd difference leaves the extra row at the top and the extra column at the
// right out. `store` must not hold the source's bytes.
Picture CropPixels(const Picture& source, int& targetWidth, int& targetHeight, PictureStore& store);

// As CropPixels for the pixels of a BMP header (bytes per pixel from its bit
// count), writing the size used back into the header. When nothing is cut the
// width is still cut down to a multiple of 4, so that BMP rows never need
// padding. An empty view when the header's size is not positive.
Picture CropBitmap(BitmapInfoHeader& header, const uint8_t* pixels, int& targetWidth, int& targetHeight,
                   PictureStore& store);

}  // namespace plexo
