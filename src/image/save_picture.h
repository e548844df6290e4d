#pragma once
// Save As's writers of one picture, one a format that offers it: the table of
// file formats holds them.

#include <string>

#include "image/picture.h"

namespace plexo {

// A 24-bit BMP of a colour picture, or an 8-bit one with a grey palette.
bool SaveBmpPicture(const std::string& path, const Picture& picture);
// A JPEG file of quality 95.
bool SaveJpegPicture(const std::string& path, const Picture& picture);

}  // namespace plexo
