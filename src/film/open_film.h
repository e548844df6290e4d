#pragma once
// Opening a film by the file's extension, as Load, Add and the command-line
// tools do: the table of file formats says which factory builds it.

#include <string>

#include "film/film.h"

namespace plexo {

// The film of the file, or null. An extension no format opens shows "File
// extension is incompatible: <path>"; a film that cannot be built shows
// nothing here.
// `choice` is the user's choice of stereo layout for the file, empty to let
// the file say.
FilmPtr OpenFilmByExtension(const std::string& path, const LayoutChoice& choice = {});

}  // namespace plexo
