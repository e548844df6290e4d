#pragma once
// Alignment of every frame as a film plays: each pair's model is estimated on
// reduced grey pictures and smoothed over the frames before it, so that the
// correction follows a drifting camera without jitter.

#include <mutex>
#include <optional>

#include "align/estimate.h"
#include "film/eye_pair.h"

namespace plexo::align {

// A frame's matching: smaller pictures, fewer and stronger corners and one
// pyramid level, so that a 1080p pair is estimated in a few milliseconds
// (bench/align_bench.cpp); the smoothing over frames makes up for each
// estimate's spread.
inline constexpr MatchOptions kFrameMatch{.workSide = 480, .maxFeatures = 300, .levels = 1, .cornerContrast = 30};

class FrameAligner {
public:
    // The pair aligned by the smoothed model including its own estimate;
    // null, to show the pair as it is, when no frame so far could be aligned
    // or memory cannot be had. A frame number that goes back, or on by more
    // than kJump, starts the smoothing afresh (a seek).
    EyePairPtr Align(const EyePair& pair);
    // The model of the frame last aligned, if any.
    std::optional<AlignModel> Current() const;

    // The weight of a frame's own estimate in the smoothed model.
    static constexpr double kWeight = 0.2;
    static constexpr int kJump = 30;

private:
    void Smooth(const AlignModel& estimate, int32_t frame);

    mutable std::mutex mutex_;
    std::optional<AlignModel> smoothed_;
    int32_t lastFrame_ = -1;
};

}  // namespace plexo::align
