#include "tool/film_alignment_option.h"

#include "align/aligned_pair.h"
#include "align/frame_aligner.h"
#include "doc/film_alignment.h"

namespace plexo::tool {

AppliedAlignment ApplyAlignment(const Args& args, const std::vector<std::string>& paths, Film& film)
{
    AppliedAlignment applied;
    if (args.has(kNoAlignFlag))
        return applied;
    const KeptAlignment kept = RecallAlignment(paths);
    applied.dist = kept.dist;
    if (args.has(kAlignFramesFlag) || kept.align == kAlignEveryFrame) {
        auto aligner = std::make_shared<align::FrameAligner>();
        applied.film = std::make_unique<StagedFilm>(film, [aligner](const EyePair& pair) { return aligner->Align(pair); });
    } else if (const auto model = align::ParseAlignModel(kept.align)) {
        applied.film = std::make_unique<StagedFilm>(
            film, [model = *model](const EyePair& pair) { return align::AlignedPair(pair, model); });
    }
    return applied;
}

}  // namespace plexo::tool
