#pragma once
// Alignment of every frame as a film plays: each pair's model is estimated on
// reduced grey pictures and smoothed over the frames before it, so that the
// correction follows a drifting camera without jitter.

#include <map>
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
    // or memory cannot be had. Any thread: pairs are estimated side by side
    // and may finish in any order, but each is smoothed over the frames
    // before it in frame order. A frame with none within kJump before it
    // starts the smoothing afresh (a seek).
    EyePairPtr Align(const EyePair& pair);
    // The model of the frame last aligned, if any.
    std::optional<AlignModel> Current() const;

    // The weight of a frame's own estimate in the smoothed model.
    static constexpr double kWeight = 0.2;
    static constexpr int kJump = 30;

private:
    struct Frame {
        AlignModel estimate;
        AlignModel smoothed;
    };
    // The smoothed model for `frame` (its estimate, when it has one), the
    // frames after it smoothed again over it.
    std::optional<AlignModel> Smooth(const std::optional<AlignModel>& estimate, int32_t frame);

    mutable std::mutex mutex_;
    // The frames estimated within kJump of the last one asked, by number: a
    // frame that finishes late is smoothed among them in its place.
    std::map<int32_t, Frame> frames_;
    std::optional<AlignModel> current_;
};

}  // namespace plexo::align
