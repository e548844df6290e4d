#include "tool/film_at.h"

#include <cstdio>

#include "film/open_film.h"
#include "tool/command.h"

namespace plexo::tool {

int Fail(const char* command, const std::string& message)
{
    std::fprintf(stderr, "plexo-tool %s: %s\n", command, message.c_str());
    return kFailed;
}

// The partner rules must not keep a frame out of reach, so the shift goes.
bool MoveToIndex(Film& film, int index)
{
    film.SetShift(0);
    film.SetRound(false);
    film.SetInvert(false);
    return index >= 0 && index < film.FrameCount() && film.Seek(index);
}

FilmPtr OpenFilmNamed(const char* command, const std::string& path)
{
    FilmPtr film = OpenFilmByExtension(path);
    if (!film && FilmKindOf(path))
        Fail(command, "cannot open the film of " + path);
    return film;
}

FilmPtr OpenFilmAt(const char* command, const std::string& path, int index)
{
    FilmPtr film = OpenFilmNamed(command, path);
    if (!film)
        return nullptr;
    if (!MoveToIndex(*film, index)) {
        Fail(command, "the film has no frame at index " + std::to_string(index));
        return nullptr;
    }
    return film;
}

}  // namespace plexo::tool
