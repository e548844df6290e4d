#pragma once
// Choosing the film factory by the file's extension, as Load, Add and the
// command-line tools do.

#include <optional>
#include <string>

#include "film/film.h"

namespace plexo {

enum class FilmKind { Bmp, Jpg, Flm };

// "bmp", "jpg" or "flm" compared without regard to case; null for any other
// extension or none.
std::optional<FilmKind> FilmKindOf(const std::string& path);
const char* FilmKindName(FilmKind kind);

// The film of that kind, or null. An unknown extension shows "File extension
// is incompatible"; a film that cannot be built shows nothing here.
FilmPtr OpenFilmByExtension(const std::string& path);

}  // namespace plexo
