#include "tool/film_alignment_option.h"

#include "align/aligned_film.h"
#include "doc/film_alignment.h"

namespace plexo::tool {

AppliedAlignment ApplyAlignment(const Args& args, const std::vector<std::string>& paths, Film& film)
{
    AppliedAlignment applied;
    if (args.has(kNoAlignFlag))
        return applied;
    const KeptAlignment kept = RecallAlignment(paths);
    applied.dist = kept.dist;
    applied.film =
        align::AlignedFilm(film, kept.align, args.has(kAlignFramesFlag) || kept.align == kAlignEveryFrame);
    return applied;
}

}  // namespace plexo::tool
