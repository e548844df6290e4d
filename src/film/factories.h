#pragma once
// The film factories. Each returns an owned film with at least one frame, or
// null.

#include <string>

#include "film/film.h"

namespace plexo {

// A numbered BMP or JPEG sequence gathered from any one of its files.
FilmPtr OpenBmpFilm(const std::string& chosenFile);
FilmPtr OpenJpgFilm(const std::string& chosenFile);
// One .flm file.
FilmPtr OpenFlmFilm(const std::string& fileName);

}  // namespace plexo
