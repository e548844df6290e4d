#include "app/view/view_alignment.h"

#include "align/aligned_pair.h"
#include "doc/film_alignment.h"

namespace plexo {

PairStage ViewAlignment::StageFor(const std::string& align)
{
    if (align != align_) {
        align_ = align;
        model_.reset();
        everyFrame_.reset();
        if (align == kAlignEveryFrame)
            everyFrame_ = std::make_shared<align::FrameAligner>();
        else
            model_ = align::ParseAlignModel(align);
    }
    if (everyFrame_)
        return [aligner = everyFrame_](const EyePair& pair) { return aligner->Align(pair); };
    if (model_)
        return [model = *model_](const EyePair& pair) { return align::AlignedPair(pair, model); };
    return {};
}

std::optional<align::AlignModel> ViewAlignment::Model() const
{
    if (everyFrame_)
        return everyFrame_->Current();
    return model_;
}

}  // namespace plexo
