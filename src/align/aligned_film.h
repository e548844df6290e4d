#pragma once
// A film seen through its alignment, for whatever writes it out: the export
// dialog and the tool's export, compose and frame take it from here alike.

#include <memory>
#include <string_view>

#include "film/film.h"

namespace plexo::align {

// The film's pairs aligned every frame as they are read when `everyFrame`,
// else by the correction a film's record keeps (`align`, AlignModelText);
// null, to write the film as it is, when neither applies. The result reads
// through `film`, which must outlive it.
std::unique_ptr<Film> AlignedFilm(Film& film, std::string_view align, bool everyFrame);

}  // namespace plexo::align
