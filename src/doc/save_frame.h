#pragma once
// Save As of the current frame, or of the view as it is shown: a colour
// picture as one file of the format that the name's extension chooses among
// those that write pictures (BMP or JPEG).

#include <string>

#include "film/film.h"
#include "image/picture.h"

namespace plexo {

// The current frame's colour picture in the format of the name's extension
// (any case). False, logged as "Save error", when the film gives no picture,
// no format of that extension writes pictures, or the file cannot be written.
bool SaveFrame(Film& film, const std::string& path);

// `picture` in the format of the name's extension, as SaveFrame does; false,
// logged as "Save error", for an empty picture too.
bool SavePicture(const Picture& picture, const std::string& path);

}  // namespace plexo
