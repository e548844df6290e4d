// plexo-tool info: what a film holds, one fact a line.

#include <cstdio>
#include <string>

#include "film/flm_film.h"
#include "film/file_formats.h"
#include "tool/command.h"
#include "tool/film_at.h"

namespace plexo::tool {

namespace {

constexpr int kMostNumbers = 1000;

int RunInfo(Args& args)
{
    if (!args.onlyKnown({}) || !args.plainCount(1, "FILM"))
        return kBadUsage;
    const std::string& path = args.plain()[0];
    FilmPtr film = OpenFilmNamed(path);
    if (!film)
        return kFailed;
    if (const auto* flm = dynamic_cast<const FlmFilm*>(film.get()); flm && flm->EndsInsideRecord())
        std::fprintf(stderr, "plexo-tool: warning: %s ends inside a frame record: the file is cut short\n",
                     path.c_str());
    // The numbers in play order: the walk from the first frame, with nothing
    // that would stop a step early; a video's walk decodes, so it lists the
    // first thousand.
    film->SetShift(0);
    film->SetRound(false);
    film->SetInvert(false);
    std::string numbers = std::to_string(film->FrameNumber());
    for (int listed = 1; film->Next(); ++listed) {
        if (listed == kMostNumbers) {
            numbers += " ...";
            break;
        }
        numbers += " " + std::to_string(film->FrameNumber());
    }
    film->Seek(0);

    std::printf("kind: %s\nframes: %d\nnumbers: %s\n", FileFormatOf(path)->name, film->FrameCount(),
                numbers.c_str());
    const Picture first = FilmPicture(*film, Eye::Current, Tone::Colour);
    if (!first) {
        std::printf("size: none\n");
        return Fail("cannot read the picture of the first frame of " + path);
    }
    std::printf("size: %dx%d\n", first.width, first.height);
    const double rate = film->FrameRate();
    if (rate > 0)
        std::printf("fps: %.6g\nduration: %.6g s\n", rate, film->FrameCount() / rate);
    else
        std::printf("fps: -\nduration: -\n");
    return kOk;
}

const bool registered = RegisterCommand({"info", "FILM", {}, RunInfo});

}  // namespace

}  // namespace plexo::tool
