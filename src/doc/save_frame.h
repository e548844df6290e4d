#pragma once
// Save As of the current frame: its colour picture as one file of a format
// that offers it (BMP or JPEG).

#include <string>

#include "film/film.h"

namespace plexo {

// The current frame's colour picture in the format of the name's extension
// (any case). False, logged as "Save error", when the film gives no picture,
// no format of that extension writes pictures, or the file cannot be written.
bool SaveFrame(Film& film, const std::string& path);

}  // namespace plexo
