#pragma once
// What the subcommands that work on one frame share: opening the film by its
// extension and walking to a position in play order.

#include <string>

#include "film/film.h"

namespace plexo::tool {

// The film of `path`, chosen by its extension; null after printing why not
// (an unknown extension has been reported by the chooser already).
FilmPtr OpenFilmNamed(const std::string& path);

// The film at frame `index` (from 0, in play order), with shift 0, round and
// invert off; null after printing why not.
FilmPtr OpenFilmAt(const std::string& path, int index);

// Walks an open film to frame `index` as above; false when it has fewer frames.
bool MoveToIndex(Film& film, int index);

}  // namespace plexo::tool
