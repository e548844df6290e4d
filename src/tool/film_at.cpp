#include "tool/film_at.h"

#include "doc/open_failure.h"
#include "film/file_formats.h"
#include "film/open_film.h"
#include "tool/command.h"

namespace plexo::tool {

// The partner rules must not keep a frame out of reach, so the shift goes.
bool MoveToIndex(Film& film, int index)
{
    film.SetShift(0);
    film.SetRound(false);
    film.SetInvert(false);
    return index >= 0 && index < film.FrameCount() && film.Seek(index);
}

FilmPtr OpenFilmNamed(const std::string& path)
{
    FilmPtr film = OpenFilmByExtension(path);
    if (!film && FileFormatOf(path))
        Fail(path + ": " + WhyNoFilm(path));
    return film;
}

FilmPtr OpenFilmAt(const std::string& path, int index)
{
    FilmPtr film = OpenFilmNamed(path);
    if (!film)
        return nullptr;
    if (!MoveToIndex(*film, index)) {
        Fail(path + " has no frame at index " + std::to_string(index) + ": it has " +
             std::to_string(film->FrameCount()));
        return nullptr;
    }
    return film;
}

}  // namespace plexo::tool
