#pragma once
// A film's pair through the subtitle stage: the pair a pipeline hands on
// carries the subtitle of its moment.

#include <cstdint>

#include "film/eye_pair.h"
#include "subtitle/subtitle_stage.h"

namespace plexo::subtitle {

// The time of a film's pair (the first eye's, in a film whose partner is
// another moment) in microseconds: the pair's own when it keeps one, else
// its frame number over the film's stated `frameRate`; -1 without either.
int64_t PairTimeUs(const EyePair& pair, double frameRate);

// A film's pair with the subtitle of its moment and the stage's line drawn;
// null when neither shows then, or without the memory for a copy. Any thread.
EyePairPtr SubtitledPair(SubtitleStage& stage, double frameRate, const EyePair& pair, const StageOptions& options);

}  // namespace plexo::subtitle
