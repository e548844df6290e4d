#pragma once
// The correction applied to an owned pair: each eye resampled by its half of
// it (SplitCorrection), cut to what both cover when the model crops.

#include <optional>

#include "align/align_model.h"
#include "film/eye_pair.h"

namespace plexo::align {

// The largest rectangle of the picture's aspect, centred, that both
// corrected eyes cover, as a share of each side (1: the whole picture).
double CoveredShare(const AlignModel& model, int width, int height);

// A new pair, packed bottom row first, with the pair's frame numbers and time;
// null when memory cannot be had. An eye with no picture stays without one.
EyePairPtr AlignedPair(const EyePair& pair, const AlignModel& model);

}  // namespace plexo::align
