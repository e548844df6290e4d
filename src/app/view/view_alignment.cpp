#include "app/view/view_alignment.h"

#include "align/aligned_pair.h"
#include "doc/film_alignment.h"

namespace plexo {

Film& ViewAlignment::Shown(Film& film, const std::string& align)
{
    if (&film != film_ || align != align_) {
        film_ = &film;
        align_ = align;
        model_.reset();
        everyFrame_.reset();
        staged_.reset();
        if (align == kAlignEveryFrame) {
            everyFrame_ = std::make_unique<align::FrameAligner>();
            staged_ = std::make_unique<StagedFilm>(
                film, [aligner = everyFrame_.get()](const EyePair& pair) { return aligner->Align(pair); });
        } else if ((model_ = align::ParseAlignModel(align))) {
            staged_ = std::make_unique<StagedFilm>(
                film, [model = *model_](const EyePair& pair) { return align::AlignedPair(pair, model); });
        }
    }
    return staged_ ? *staged_ : film;
}

std::optional<align::AlignModel> ViewAlignment::Model() const
{
    if (everyFrame_)
        return everyFrame_->Current();
    return model_;
}

}  // namespace plexo
