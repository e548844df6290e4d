#include "tool/subtitle_options.h"

namespace plexo::tool {

const char* const kSubtitleUsage =
    "    --subtitles draws a subtitle track into both eyes: its number (View > Subtitles' order), a\n"
    "    subtitle file, or default; --subtitle-depth auto (in front of the scene, the default),\n"
    "    authored (as a 3D rip lays them out) or N pixels of disparity (positive: in front)";

Film& ToolSubtitles::Shown(Film& film)
{
    if (!burnt)
        return film;
    shown_ = burnt.Shown(film);
    return *shown_;
}

bool ReadSubtitleOptions(Args& args, std::optional<std::string>& which, subtitle::DepthChoice& depth)
{
    which = args.value(kSubtitlesOption);
    const auto depthText = args.value(kSubtitleDepthOption);
    if (!depthText)
        return true;
    if (!which) {
        args.fail("--subtitle-depth needs --subtitles");
        return false;
    }
    const auto parsed = subtitle::ParseDepth(*depthText);
    if (!parsed) {
        args.fail("--subtitle-depth takes auto, authored or a whole number from -" +
                  std::to_string(subtitle::kMaxFixedDepth) + " to " + std::to_string(subtitle::kMaxFixedDepth) +
                  ", not '" + *depthText + "'");
        return false;
    }
    depth = *parsed;
    return true;
}

bool OpenToolSubtitles(const std::optional<std::string>& which, const subtitle::DepthChoice& depth,
                       const std::string& filmPath, const Film& film, PresentationId shown,
                       const std::function<FilmPtr()>& reopen, ToolSubtitles& out)
{
    if (!which)
        return true;
    std::string why;
    out.burnt = subtitle::OpenBurntSubtitles(filmPath, *which, depth, film, shown, reopen, why);
    if (!out.burnt) {
        Fail((*which == "default" ? filmPath : *which) + ": cannot show its subtitles: " + why);
        return false;
    }
    return true;
}

}  // namespace plexo::tool
