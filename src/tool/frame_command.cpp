// plexo-tool frame: Save As of one frame, as the viewer's document does it.

#include <cstdio>
#include <string>

#include "doc/save_frame.h"
#include "platform/file_name.h"
#include "tool/command.h"
#include "tool/film_at.h"

namespace plexo::tool {

namespace {

int RunFrame(Args& args)
{
    if (!args.onlyKnown({"index", "out"}) || !args.plainCount(1, "FILM"))
        return kBadUsage;
    const auto index = args.position("index");
    const auto out = args.required("out");
    if (!args.ok())
        return kBadUsage;
    const std::string ext = platform::UpperExtension(*out);
    if (ext != "BMP" && ext != "JPG") {
        args.fail("--out " + *out + ": the output must be a .bmp or .jpg file");
        return kBadUsage;
    }

    const std::string& path = args.plain()[0];
    FilmPtr film = OpenFilmAt(path, index.value_or(0));
    if (!film)
        return kFailed;
    if (!SaveFrame(*film, *out))
        return Fail("cannot save frame " + std::to_string(index.value_or(0)) + " of " + path + " as " + *out);
    const Picture picture = FilmPicture(*film, Eye::Current, Tone::Colour);
    std::printf("%dx%d\n", picture.width, picture.height);
    return kOk;
}

const bool registered = RegisterCommand({"frame", "FILM [--index I] --out OUT.bmp|OUT.jpg\n"
                                                  "    saves the colour picture of frame I (from 0, in play order)",
                                         {}, RunFrame});

}  // namespace
}  // namespace plexo::tool
