// plexo-tool frame: Save As of one frame, as the viewer's document does it,
// or one eye of it.

#include <cstdio>
#include <string>

#include "convert/stereo_export.h"
#include "doc/save_frame.h"
#include "platform/file_name.h"
#include "tool/command.h"
#include "tool/film_at.h"
#include "tool/pipeline_options.h"
#include "tool/sphere_options.h"

namespace plexo::tool {

namespace {

int RunFrame(Args& args)
{
    if (!args.onlyKnown({"index", "eye", "shift", "out", kSourceLayoutOption, kSubtitlesOption, kSubtitleDepthOption,
                         kProjectionOption, kYawOption, kPitchOption, kFovOption, "view"}) ||
        !args.plainCount(1, "FILM"))
        return kBadUsage;
    const auto index = args.position("index");
    const auto eyeName = args.value("eye");
    const auto shift = args.integer("shift");
    const auto out = args.required("out");
    const LayoutChoice choice = ReadSourceLayout(args);
    std::optional<std::string> subtitles;
    subtitle::DepthChoice subtitleDepth;
    const auto view = args.size("view");
    SphereOptions sphere;
    if (!ReadSubtitleOptions(args, subtitles, subtitleDepth) || !ReadSphereOptions(args, sphere) || !args.ok())
        return kBadUsage;
    const std::string ext = platform::UpperExtension(*out);
    if (ext != "BMP" && ext != "JPG") {
        args.fail("--out " + *out + ": the output must be a .bmp or .jpg file");
        return kBadUsage;
    }
    if (eyeName && *eyeName != "first" && *eyeName != "second") {
        args.fail("--eye takes first or second, not '" + *eyeName + "'");
        return kBadUsage;
    }

    const std::string& path = args.plain()[0];
    if (const auto refusal = ExportSourceRefusal(path, {*out}))
        return Fail(*refusal);
    FilmPtr film = OpenFilmAt(path, index.value_or(0), choice);
    if (!film)
        return kFailed;
    // A two-view film's eyes are the current and partner pictures of one
    // frame; a single view's second eye is the partner frame's picture.
    film->SetShift(shift.value_or(DefaultShift(*film)));
    const auto reopen = [&]() -> FilmPtr {
        FilmPtr again = OpenFilmAt(path, index.value_or(0), choice);
        if (again)
            again->SetShift(film->GetShift());
        return again;
    };
    // The frame alone is one picture, its subtitle unshifted; an eye has
    // its copy moved for its side.
    ToolPipeline chain;
    chain.sphere = ToolSphere(sphere, *film, path, view ? view->first : kDefaultSphereWidth,
                              view ? view->second : kDefaultSphereHeight);
    if (!BuildToolPipeline(args, {path}, subtitles, subtitleDepth, *film,
                           eyeName ? PresentationId::SideBySide : PresentationId::Plain, reopen, chain))
        return kFailed;
    Film& shown = chain.Shown(*film);
    const Eye eye = eyeName == "second" ? Eye::Partner : Eye::Current;
    const bool saved = eyeName ? SavePicture(FilmPicture(shown, eye, Tone::Colour), *out) : SaveFrame(shown, *out);
    if (!saved)
        return Fail("cannot save frame " + std::to_string(index.value_or(0)) + " of " + path + " as " + *out);
    const Picture picture = FilmPicture(shown, eye, Tone::Colour);
    std::printf("%dx%d\n", picture.width, picture.height);
    return kOk;
}

const char* FrameUsage()
{
    static const std::string usage =
        "FILM [--index I] [--eye first|second [--shift A]] [--source-layout L] [--no-align | --align-frames]\n"
        "    [--subtitles TRACK|FILE|default [--subtitle-depth auto|authored|N]]\n"
        "    [--projection P] [--yaw DEG] [--pitch DEG] [--fov DEG] [--view WxH] --out OUT.bmp|OUT.jpg\n"
        "    saves the colour picture of frame I (from 0, in play order), or one eye as stored: a two-view\n"
        "    film's first or second eye (--shift: the eye offset, default 0); a single view's picture or its\n"
        "    partner's A frames on (default -4); the film's kept alignment applies unless --no-align,\n"
        "    --align-frames aligns the pair itself\n" +
        std::string(kSubtitleUsage) + "\n" + kSphereUsage;
    return usage.c_str();
}

const bool registered = RegisterCommand(
    {"frame", FrameUsage(), {kNoAlignFlag, kAlignFramesFlag}, RunFrame});

}  // namespace
}  // namespace plexo::tool
