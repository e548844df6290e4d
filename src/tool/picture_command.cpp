// plexo-tool picture: the raw bytes of one frame's picture exactly as the film
// gives them (rows bottom first, colour bytes blue, green, red).

#include <cstdio>
#include <string>
#include <vector>

#include "tool/film_at.h"
#include "platform/atomic_file.h"
#include "tool/command.h"

namespace plexo::tool {

namespace {

int RunPicture(Args& args)
{
    if (!args.onlyKnown({"index", "raw"}) || args.plain().size() != 1)
        return kBadUsage;
    const auto index = args.position("index");
    const auto out = args.value("raw");
    const bool grey = args.has("grey");
    if (!args.ok() || !out || grey == args.has("colour"))
        return kBadUsage;

    const std::string& path = args.plain()[0];
    FilmPtr film = OpenFilmAt("picture", path, index.value_or(0));
    if (!film)
        return kFailed;

    std::vector<uint8_t> store;
    const Picture picture = PackedRows(FilmPicture(*film, Eye::Current, grey ? Tone::Grey : Tone::Colour), store);
    if (!picture)
        return Fail("picture", "the frame has no picture");
    if (!platform::ReplaceFileWith(*out, picture.data, picture.byteCount()))
        return Fail("picture", "cannot write " + *out);
    std::printf("%dx%d\n", picture.width, picture.height);
    return kOk;
}

const bool registered =
    RegisterCommand({"picture", "FILM [--index I] (--grey|--colour) --raw OUT", {"grey", "colour"}, RunPicture});

}  // namespace

}  // namespace plexo::tool
