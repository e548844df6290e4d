// plexo-tool frame: Save As of one frame, as the viewer's document does it.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "doc/save_frame.h"
#include "film/open_film.h"
#include "platform/log.h"
#include "tool/command.h"

namespace plexo::tool {

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "plexo-tool frame: %s\n", message.c_str());
    return kFailed;
}

std::string UpperExtension(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return ext;
}

// From the first frame, `index` steps along the play order, with nothing that
// would keep a step from being made.
bool MoveToIndex(Film& film, int index)
{
    film.SetShift(0);
    film.SetRound(false);
    film.SetInvert(false);
    for (int i = 0; i < index; ++i)
        if (!film.Next())
            return false;
    return true;
}

int RunFrame(Args& args)
{
    if (!args.onlyKnown({"index", "out"}) || args.plain().size() != 1)
        return kBadUsage;
    const auto index = args.integer("index");
    const auto out = args.value("out");
    if (!args.ok() || !out || index.value_or(0) < 0)
        return kBadUsage;
    const std::string ext = UpperExtension(*out);
    if (ext != ".BMP" && ext != ".JPG") {
        std::fprintf(stderr, "plexo-tool frame: the output must be a .bmp or .jpg file\n");
        return kBadUsage;
    }

    FilmPtr film = OpenFilmByExtension(args.plain()[0]);
    if (!film)
        return Fail("cannot open the film of " + args.plain()[0]);
    if (!MoveToIndex(*film, index.value_or(0)))
        return Fail("the film has no frame at index " + std::to_string(index.value_or(0)));
    const bool saved = ext == ".BMP" ? SaveFrameBmp(*film, *out) : SaveFrameJpg(*film, *out);
    if (!saved) {
        LogMessage("Save error");
        return kFailed;
    }
    const Picture picture = FilmPicture(*film, Eye::Current, Tone::Colour);
    std::printf("%dx%d\n", picture.width, picture.height);
    return kOk;
}

const bool registered = RegisterCommand({"frame", "FILM [--index I] --out OUT.bmp|OUT.jpg\n"
                                                  "    saves the colour picture of frame I (from 0, in play order)",
                                         {}, RunFrame});

}  // namespace
}  // namespace plexo::tool
