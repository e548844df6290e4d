#include "subtitle/subtitled_pair.h"

#include <cmath>

namespace plexo::subtitle {

int64_t PairTimeUs(const EyePair& pair, double frameRate)
{
    if (pair.timestampUs >= 0)
        return pair.timestampUs;
    if (frameRate <= 0 || pair.frameNumber < 0)
        return -1;
    return int64_t(std::llround(double(pair.frameNumber) * 1e6 / frameRate));
}

EyePairPtr SubtitledPair(SubtitleStage& stage, double frameRate, const EyePair& pair, const StageOptions& options)
{
    // A pair that keeps no time shows no subtitle, but the line.
    const int64_t time = PairTimeUs(pair, frameRate);
    auto timed = std::make_shared<EyePair>(pair);
    timed->timestampUs = time;
    EyePairPtr drawn = stage.Apply(timed, options);
    return drawn != timed ? drawn : nullptr;
}

}  // namespace plexo::subtitle
