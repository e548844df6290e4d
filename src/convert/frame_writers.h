#pragma once
// The three frame writers. Each walks `film` from its first frame, shapes
// every frame as `options` say (colour or grey, reduced by the factor, cut to
// the fixed size) and writes it; true when every frame was written. No film
// or a factor below 1 writes nothing. Frames already written by the BMP and
// JPEG writers stay when a later one fails; a .flm file is whole or absent.

#include <string>

#include "convert/converters.h"
#include "film/film.h"

namespace plexo {

// base + number + ".bmp": 24-bit colour, or 8-bit with a grey palette.
bool WriteBmpFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control = {});

// base + number + ".jpg" at the options' quality.
bool WriteJpgFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control = {});

// One .flm file, raw frames or JPEG streams when compress is 1. Refuses frames
// whose size differs from the first one's or lies outside 1 to 5000, since
// the file holds one size that its readers must accept.
bool WriteFlmFile(Film* film, const std::string& fileName, const ConversionOptions& options,
                  const ConversionControl& control = {});

}  // namespace plexo
