// plexo-tool picture: the raw bytes of one frame's picture exactly as the film
// gives them (rows bottom first, colour bytes blue, green, red).

#include <cerrno>
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
    if (!args.onlyKnown({"index", "raw", kSourceLayoutOption}) || !args.plainCount(1, "FILM"))
        return kBadUsage;
    const auto index = args.position("index");
    const auto out = args.required("raw");
    const LayoutChoice choice = ReadSourceLayout(args);
    const bool grey = args.has("grey");
    if (args.ok() && grey == args.has("colour"))
        args.fail(grey ? "--grey and --colour exclude each other" : "--grey or --colour is required");
    if (!args.ok())
        return kBadUsage;

    const std::string& path = args.plain()[0];
    FilmPtr film = OpenFilmAt(path, index.value_or(0), choice);
    if (!film)
        return kFailed;

    std::vector<uint8_t> store;
    const Picture picture = PackedRows(FilmPicture(*film, Eye::Current, grey ? Tone::Grey : Tone::Colour), store);
    if (!picture)
        return Fail("cannot read the picture of frame " + std::to_string(index.value_or(0)) + " of " + path);
    errno = 0;
    if (!platform::ReplaceFileWith(*out, picture.data, picture.byteCount()))
        return Fail(WriteFailure(*out));
    std::printf("%dx%d\n", picture.width, picture.height);
    return kOk;
}

const bool registered =
    RegisterCommand({"picture", "FILM [--index I] [--source-layout L] (--grey|--colour) --raw OUT\n"
                     "    a two-view film's picture is its first eye", {"grey", "colour"}, RunPicture});

}  // namespace

}  // namespace plexo::tool
