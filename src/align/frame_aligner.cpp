#include "align/frame_aligner.h"

#include "align/aligned_pair.h"

namespace plexo::align {

void FrameAligner::Smooth(const AlignModel& estimate, int32_t frame)
{
    const bool fresh = !smoothed_ || frame < lastFrame_ || frame > lastFrame_ + kJump;
    lastFrame_ = frame;
    if (fresh) {
        smoothed_ = estimate;
        return;
    }
    const auto mix = [](double& kept, double now) { kept += kWeight * (now - kept); };
    mix(smoothed_->vertical, estimate.vertical);
    mix(smoothed_->roll, estimate.roll);
    mix(smoothed_->scale, estimate.scale);
    mix(smoothed_->keystoneX, estimate.keystoneX);
    mix(smoothed_->keystoneY, estimate.keystoneY);
    smoothed_->residual = estimate.residual;
}

EyePairPtr FrameAligner::Align(const EyePair& pair)
{
    const AlignResult result = EstimateAlignment(pair.first, pair.second, kFrameMatch);
    std::optional<AlignModel> model;
    {
        const std::lock_guard lock(mutex_);
        if (result.alignment)
            Smooth(result.alignment->model, pair.frameNumber);
        model = smoothed_;
    }
    if (!model)
        return nullptr;
    return AlignedPair(pair, *model);
}

std::optional<AlignModel> FrameAligner::Current() const
{
    const std::lock_guard lock(mutex_);
    return smoothed_;
}

}  // namespace plexo::align
