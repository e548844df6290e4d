// plexo-tool picture: the raw bytes of one frame's picture exactly as the film
// gives them (rows bottom first, colour bytes blue, green, red).

#include <cstdio>
#include <string>

#include "film/open_film.h"
#include "platform/atomic_file.h"
#include "tool/command.h"

namespace plexo::tool {

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "plexo-tool picture: %s\n", message.c_str());
    return kFailed;
}

int RunPicture(Args& args)
{
    if (!args.onlyKnown({"index", "raw"}) || args.plain().size() != 1)
        return kBadUsage;
    const auto index = args.integer("index");
    const auto out = args.value("raw");
    const bool grey = args.has("grey");
    if (!args.ok() || !out || grey == args.has("colour") || index.value_or(0) < 0)
        return kBadUsage;

    const std::string& path = args.plain()[0];
    FilmPtr film = OpenFilmByExtension(path);
    if (!film)
        return FilmKindOf(path) ? Fail("cannot open the film of " + path) : kFailed;
    // Positions count along the play order from the first frame; the partner
    // rules must not stop the walk.
    film->SetShift(0);
    film->SetRound(false);
    film->SetInvert(false);
    for (int i = 0; i < index.value_or(0); ++i)
        if (!film->Next())
            return Fail("the film has no frame at index " + std::to_string(*index));

    const Picture picture = FilmPicture(*film, Eye::Current, grey ? Tone::Grey : Tone::Colour);
    if (!picture)
        return Fail("the frame has no picture");
    if (!platform::ReplaceFileWith(*out, picture.data, picture.byteCount()))
        return Fail("cannot write " + *out);
    std::printf("%dx%d\n", picture.width, picture.height);
    return kOk;
}

const bool registered =
    RegisterCommand({"picture", "FILM [--index I] (--grey|--colour) --raw OUT", {"grey", "colour"}, RunPicture});

}  // namespace

}  // namespace plexo::tool
