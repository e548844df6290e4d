#pragma once
// Colour pixels turned grey as the mean of their three bytes, rounded:
// (blue + green + red + 1) / 3, the grey of a colour .flm frame.

#include <cstddef>
#include <cstdint>

#include "image/input_file.h"
#include "image/picture.h"

namespace plexo {

// Reads `pixels` blue-green-red pixels at `offset` and turns them grey into
// `grey`, a block at a time, so that the colour bytes are turned while they
// are still in the cache. False when the file cannot give them all.
bool ReadColourAsGrey(const InputFile& file, int64_t offset, uint8_t* grey, size_t pixels);

// `pixels` blue-green-red pixels from `bgr` into as many grey bytes.
void ColourToGrey(const uint8_t* bgr, uint8_t* grey, size_t pixels);
// The same, one pixel at a time: what the vectorised version must match.
void ColourToGreyReference(const uint8_t* bgr, uint8_t* grey, size_t pixels);

// A colour picture turned grey into a picture of its own; empty when its
// memory cannot be had.
PictureBuffer GreyCopyOf(const Picture& colour);

}  // namespace plexo
