#pragma once
// What the subcommands that work on one frame share: opening the film by its
// extension and walking to a position in play order.

#include <string>

#include "film/film.h"
#include "tool/command.h"

namespace plexo::tool {

// The option every command that takes a film takes: the user's choice of the
// View > Layout menu.
inline constexpr const char* kSourceLayoutOption = "source-layout";

// --source-layout's choice, empty when it is not given; an unknown word sets
// the error.
LayoutChoice ReadSourceLayout(Args& args);

// The film of `path`, chosen by its extension; null after printing why not
// (an unknown extension has been reported by the chooser already).
FilmPtr OpenFilmNamed(const std::string& path, const LayoutChoice& choice = {});

// The film at frame `index` (from 0, in play order), with shift 0, round and
// invert off; null after printing why not.
FilmPtr OpenFilmAt(const std::string& path, int index, const LayoutChoice& choice = {});

// What --shift is without the option: the document's default for a film of
// one view; for a two-view film it is the eye offset, 0.
int DefaultShift(const Film& film);

// Walks an open film to frame `index` as above; false when it has fewer frames.
bool MoveToIndex(Film& film, int index);

// Fails with the message of an index past the film's frames, naming the count
// the film holds now (a video's, once its frames are found to end early).
int FailNoFrameAt(const std::string& path, int index, const Film& film);

}  // namespace plexo::tool
