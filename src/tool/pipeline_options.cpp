#include "tool/pipeline_options.h"

#include "doc/film_alignment.h"

namespace plexo::tool {

const char* const kSubtitleUsage =
    "    --subtitles draws a subtitle track into both eyes: its number (View > Subtitles' order), a\n"
    "    subtitle file, or default; --subtitle-depth auto (in front of the scene, the default),\n"
    "    authored (as a 3D rip lays them out) or N pixels of disparity (positive: in front)";

Film& ToolPipeline::Shown(Film& film)
{
    if (!staged_ && stages)
        staged_ = stages->Through(film);
    return staged_ ? *staged_ : film;
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

bool BuildToolPipeline(const Args& args, const std::vector<std::string>& paths, const std::optional<std::string>& which,
                       const subtitle::DepthChoice& depth, const Film& film, PresentationId shown,
                       const std::function<FilmPtr()>& reopen, ToolPipeline& out)
{
    pipeline::PipelineChoice choice;
    if (!args.has(kNoAlignFlag)) {
        const KeptAlignment kept = RecallAlignment(paths);
        choice.align = kept.align;
        choice.everyFrame = args.has(kAlignFramesFlag);
        out.keptDist = kept.dist;
    }
    if (which) {
        choice.subtitlesFrom = pipeline::SubtitlesFrom::Named;
        choice.subtitles = *which;
        choice.depth = depth;
    }
    choice.presentation = shown;
    choice.sphere = out.sphere;
    const std::string& path = paths.front();
    std::string why;
    out.stages = pipeline::BuildPipeline({path, film.FrameRate(), film.Layout().layout, reopen,
                                         pipeline::LookAheadOn::Caller, nullptr},
                                         choice, why);
    if (!why.empty()) {
        Fail((*which == "default" ? path : *which) + ": cannot show its subtitles: " + why);
        return false;
    }
    return true;
}

}  // namespace plexo::tool
