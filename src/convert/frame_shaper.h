#pragma once
// The shape of a frame on its way to a writer: the film's picture of the
// current frame (colour or grey), reduced by the factor, cut to the fixed
// size. A shaper owns one reduced and one cut picture and reuses their bytes
// for every frame.

#include "convert/converters.h"
#include "convert/picture_ops.h"
#include "film/film.h"

namespace plexo {

class FrameShaper {
public:
    explicit FrameShaper(const ConversionOptions& options) : options_(options) {}

    // Empty views when the film gives no picture or nothing is left of it.
    // Valid until the next call or the film's next picture request.
    Picture Shaped(Film& film);
    // For BMP output: cut with CropBitmap, so that a picture that keeps its
    // size still loses the columns beyond a multiple of 4.
    Picture ShapedBitmap(Film& film);

private:
    Picture Reduced(Film& film);

    ConversionOptions options_;
    PictureStore reduced_;
    PictureStore cut_;
};

}  // namespace plexo
