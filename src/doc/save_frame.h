#pragma once
// Save As of the current frame: its colour picture as one BMP or JPEG file.

#include <string>

#include "film/film.h"

namespace plexo {

// What the Save As dialog offers, and the extension it gives a name typed
// without one.
inline constexpr const char* kSaveFrameFilter = "BMP files (*.bmp)|*.bmp|JPEG files (*.jpg)|*.jpg||";
inline constexpr const char* kSaveFrameDefaultExtension = "bmp";

// A 24-bit BMP of the current frame's colour picture. False when the film
// gives no picture or the file cannot be written.
bool SaveFrameBmp(Film& film, const std::string& path);
// A JPEG file of quality 95 of the same picture.
bool SaveFrameJpg(Film& film, const std::string& path);
// Either of the two, by the name's extension ("bmp" or "jpg", any case); any
// other name fails. A failure is logged as "Save error".
bool SaveFrame(Film& film, const std::string& path);

}  // namespace plexo
