#include "align/aligned_film.h"

#include "align/aligned_pair.h"
#include "align/frame_aligner.h"
#include "film/staged_film.h"

namespace plexo::align {

std::unique_ptr<Film> AlignedFilm(Film& film, std::string_view align, bool everyFrame)
{
    if (everyFrame) {
        auto aligner = std::make_shared<FrameAligner>();
        return std::make_unique<StagedFilm>(film, [aligner](const EyePair& pair) { return aligner->Align(pair); });
    }
    if (const auto model = ParseAlignModel(align))
        return std::make_unique<StagedFilm>(film,
                                            [model = *model](const EyePair& pair) { return AlignedPair(pair, model); });
    return nullptr;
}

}  // namespace plexo::align
