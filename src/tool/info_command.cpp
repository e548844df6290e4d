// plexo-tool info: what a film holds, one fact a line.

#include <cstdio>
#include <string>

#include "film/open_film.h"
#include "tool/command.h"
#include "tool/film_at.h"

namespace plexo::tool {

namespace {

int RunInfo(Args& args)
{
    if (!args.onlyKnown({}) || args.plain().size() != 1)
        return kBadUsage;
    const std::string& path = args.plain()[0];
    FilmPtr film = OpenFilmNamed("info", path);
    if (!film)
        return kFailed;
    // The numbers in play order: the walk from the first frame, with nothing
    // that would stop a step early.
    film->SetShift(0);
    film->SetRound(false);
    film->SetInvert(false);
    std::string numbers = std::to_string(film->FrameNumber());
    while (film->Next())
        numbers += " " + std::to_string(film->FrameNumber());
    film->Seek(0);

    std::printf("kind: %s\nframes: %d\nnumbers: %s\n", FilmKindName(*FilmKindOf(path)), film->FrameCount(),
                numbers.c_str());
    const Picture first = FilmPicture(*film, Eye::Current, Tone::Colour);
    if (!first) {
        std::printf("size: none\n");
        return Fail("info", "the first frame has no picture");
    }
    std::printf("size: %dx%d\n", first.width, first.height);
    return kOk;
}

const bool registered = RegisterCommand({"info", "FILM", {}, RunInfo});

}  // namespace

}  // namespace plexo::tool
