#pragma once
// The shape of a frame on its way to a writer: the frame's picture (colour or
// grey), reduced by the factor, cut to the fixed size. A shaper owns one
// reduced and one cut picture and reuses their bytes for every frame.

#include "convert/converters.h"
#include "convert/picture_ops.h"
#include "film/film.h"

namespace plexo {

class FrameShaper {
public:
    explicit FrameShaper(const ConversionOptions& options) : options_(options) {}

    // The tone of the pictures the options ask for.
    Tone tone() const { return options_.colour ? Tone::Colour : Tone::Grey; }

    // Empty views when there is no picture or nothing is left of it. Valid
    // until the next call or until the picture's own bytes go.
    Picture Shaped(const Picture& picture);
    // For BMP output: cut with CropBitmap, so that a picture that keeps its
    // size still loses the columns beyond a multiple of 4.
    Picture ShapedBitmap(const Picture& picture);

private:
    Picture Reduced(const Picture& picture);

    ConversionOptions options_;
    PictureStore reduced_;
    PictureStore cut_;
};

}  // namespace plexo
