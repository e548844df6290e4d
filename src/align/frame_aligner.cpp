#include "align/frame_aligner.h"

#include <iterator>

#include "align/aligned_pair.h"

namespace plexo::align {

namespace {

AlignModel Mixed(AlignModel kept, const AlignModel& now)
{
    const auto mix = [](double& value, double by) { value += FrameAligner::kWeight * (by - value); };
    mix(kept.vertical, now.vertical);
    mix(kept.roll, now.roll);
    mix(kept.scale, now.scale);
    mix(kept.keystoneX, now.keystoneX);
    mix(kept.keystoneY, now.keystoneY);
    kept.residual = now.residual;
    return kept;
}

}  // namespace

std::optional<AlignModel> FrameAligner::Smooth(const std::optional<AlignModel>& estimate, int32_t frame)
{
    // Frames beyond reach of this one belong to another stretch of play.
    frames_.erase(frames_.begin(), frames_.lower_bound(frame - kJump));
    frames_.erase(frames_.upper_bound(frame + kJump), frames_.end());
    if (!estimate) {
        const auto after = frames_.lower_bound(frame);
        if (after != frames_.begin())
            return std::prev(after)->second.smoothed;
        return current_;
    }
    auto at = frames_.insert_or_assign(frame, Frame{*estimate, *estimate}).first;
    for (auto it = at; it != frames_.end(); ++it)
        it->second.smoothed = it == frames_.begin() ? it->second.estimate
                                                    : Mixed(std::prev(it)->second.smoothed, it->second.estimate);
    return at->second.smoothed;
}

EyePairPtr FrameAligner::Align(const EyePair& pair)
{
    const AlignResult result = EstimateAlignment(pair.first, pair.second, kFrameMatch);
    std::optional<AlignModel> model;
    {
        const std::lock_guard lock(mutex_);
        model = Smooth(result.alignment ? std::optional(result.alignment->model) : std::nullopt, pair.frameNumber);
        if (model)
            current_ = model;
    }
    if (!model)
        return nullptr;
    return AlignedPair(pair, *model);
}

std::optional<AlignModel> FrameAligner::Current() const
{
    const std::lock_guard lock(mutex_);
    return current_;
}

}  // namespace plexo::align
