#include "app/view/view_alignment.h"

#include "align/aligned_pair.h"
#include "doc/film_alignment.h"

namespace plexo {

EyePairPtr ViewAlignment::Apply(EyePairPtr pair, const std::string& align)
{
    if (align != align_) {
        align_ = align;
        model_.reset();
        everyFrame_.reset();
        if (align == kAlignEveryFrame)
            everyFrame_ = std::make_unique<align::FrameAligner>();
        else
            model_ = align::ParseAlignModel(align);
    }
    EyePairPtr aligned;
    if (everyFrame_)
        aligned = everyFrame_->Align(*pair);
    else if (model_)
        aligned = align::AlignedPair(*pair, *model_);
    return aligned ? aligned : pair;
}

std::optional<align::AlignModel> ViewAlignment::Model() const
{
    if (everyFrame_)
        return everyFrame_->Current();
    return model_;
}

}  // namespace plexo
