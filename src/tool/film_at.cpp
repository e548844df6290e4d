#include "tool/film_at.h"

#include "doc/open_failure.h"
#include "film/file_formats.h"
#include "film/open_film.h"

namespace plexo::tool {

// The partner rules must not keep a frame out of reach, so the shift goes.
// A video's seek past the frames it holds lands on its last one.
bool MoveToIndex(Film& film, int index)
{
    film.SetShift(0);
    film.SetRound(false);
    film.SetInvert(false);
    return index >= 0 && index < film.FrameCount() && film.Seek(index) && film.Position() == index;
}

LayoutChoice ReadSourceLayout(Args& args)
{
    const std::optional<std::string> word = args.value(kSourceLayoutOption);
    if (!word)
        return {};
    const std::optional<StereoLayout> layout = LayoutNamed(*word);
    if (!layout)
        args.fail(std::string("--") + kSourceLayoutOption +
                  " takes mono, sbs, sbs-rl, tb, tb-rl, hsbs, hsbs-rl, htb or htb-rl, not '" + *word + "'");
    return layout;
}

int DefaultShift(const Film& film)
{
    // The document's default A.
    constexpr int kSingleViewShift = -4;
    return film.Eyes() == 2 ? 0 : kSingleViewShift;
}

FilmPtr OpenFilmNamed(const std::string& path, const LayoutChoice& choice)
{
    FilmPtr film = OpenFilmByExtension(path, choice);
    if (!film && FileFormatOf(path))
        Fail(path + ": " + WhyNoFilm(path));
    return film;
}

FilmPtr OpenFilmAt(const std::string& path, int index, const LayoutChoice& choice)
{
    FilmPtr film = OpenFilmNamed(path, choice);
    if (!film)
        return nullptr;
    if (!MoveToIndex(*film, index)) {
        FailNoFrameAt(path, index, *film);
        return nullptr;
    }
    return film;
}

int FailNoFrameAt(const std::string& path, int index, const Film& film)
{
    return Fail(path + " has no frame at index " + std::to_string(index) + ": it has " +
                std::to_string(film.FrameCount()));
}

}  // namespace plexo::tool
