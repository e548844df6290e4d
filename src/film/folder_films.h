#pragma once
// The films of a folder, as Page Down and Page Up walk them: every file whose
// format opens a film, in name order (case aside), a numbered run counting once, as its
// first file.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace plexo {

// The names (not paths) of the films in `folder`; empty when it cannot be read.
std::vector<std::string> FolderFilms(const std::string& folder);

// Where the film that the file `name` opens stands among `films`, as
// FolderFilms lists them (a run's later file finds its first); nullopt when
// it opens none of them.
std::optional<size_t> FilmPlace(const std::vector<std::string>& films, const std::string& name);

// The path of the film after (`forward`) or before the one `path` opens, in
// the folder that holds it; empty at either end, without wrapping, and when
// `path` opens none of the folder's films.
std::string NeighbourFilm(const std::string& path, bool forward);

}  // namespace plexo
