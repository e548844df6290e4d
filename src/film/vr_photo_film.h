#pragma once
// Google's VR180 photos (".vr.jpg"): a JPEG whose XMP carries the right eye
// (image/vr_photo_xmp.h), opened as a two-view film of that one file whose
// projection is the one its GPano tags state.

#include <string>

#include "film/film.h"

namespace plexo {

// The film of `path` when it is such a photo; null (nothing said) when it
// holds no second eye, so that it opens as an ordinary JPEG.
FilmPtr OpenVrPhotoFilm(const std::string& path);

}  // namespace plexo
