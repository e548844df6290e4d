#pragma once
// The options of compose, frame and export that choose what the pair
// pipeline does: the film's kept alignment and D, unless --no-align;
// --align-frames aligns every frame as it is read instead; --subtitles
// TRACK|FILE|default and --subtitle-depth auto|authored|N draw a subtitle
// track into the eyes.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "film/film.h"
#include "pipeline/pair_pipeline.h"
#include "present/presentation.h"
#include "tool/command.h"

namespace plexo::tool {

inline constexpr const char* kNoAlignFlag = "no-align";
inline constexpr const char* kAlignFramesFlag = "align-frames";
inline constexpr const char* kSubtitlesOption = "subtitles";
inline constexpr const char* kSubtitleDepthOption = "subtitle-depth";
extern const char* const kSubtitleUsage;

// Reads both subtitle options; a usage error for a depth that is none of
// its forms or a depth without subtitles.
bool ReadSubtitleOptions(Args& args, std::optional<std::string>& which, subtitle::DepthChoice& depth);

struct ToolPipeline {
    std::shared_ptr<const pipeline::PairPipeline> stages;
    // The film's own D, kept by the viewer or by align --window, unless
    // --no-align.
    std::optional<int32_t> keptDist;
    // Set before the chain is built: how a spherical film is looked into
    // (sphere_options.h).
    pipeline::SphereChoice sphere;

    // The film's pairs are aligned, and its kept D goes with them.
    bool Aligns() const { return stages && stages->Aligns(); }
    // The film the chain was built for seen through it, or the film itself
    // when no stage applies; `film` must outlive it.
    Film& Shown(Film& film);

private:
    std::unique_ptr<Film> staged_;
};

// The chain for the film opened by `paths` (the first film and the second
// of a pair), as the options choose it, its subtitles (`which`, `depth`)
// drawn for presentation `shown`; `reopen` opens the same film again, set
// up as `film`, for automatic depth to look over each event ahead. False
// after printing why the subtitles cannot be had.
bool BuildToolPipeline(const Args& args, const std::vector<std::string>& paths, const std::optional<std::string>& which,
                       const subtitle::DepthChoice& depth, const Film& film, PresentationId shown,
                       const std::function<FilmPtr()>& reopen, ToolPipeline& out);

}  // namespace plexo::tool
