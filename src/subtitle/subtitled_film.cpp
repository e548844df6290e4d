#include "subtitle/subtitled_film.h"

#include <cmath>

namespace plexo::subtitle {

int64_t CurrentTimeUs(const Film& film, const EyePair* pair)
{
    if (pair && pair->timestampUs >= 0)
        return pair->timestampUs;
    const double rate = film.FrameRate();
    const int32_t number = film.FrameNumber();
    if (rate <= 0 || number < 0)
        return -1;
    return int64_t(std::llround(double(number) * 1e6 / rate));
}

EyePairPtr SubtitledPair(SubtitleStage& stage, const Film& film, const EyePair& pair, const StageOptions& options)
{
    const int64_t time = CurrentTimeUs(film, &pair);
    if (time < 0)
        return nullptr;
    auto timed = std::make_shared<EyePair>(pair);
    timed->timestampUs = time;
    EyePairPtr drawn = stage.Apply(timed, options);
    return drawn != timed ? drawn : nullptr;
}

std::unique_ptr<StagedFilm> SubtitledFilm(Film& film, SubtitleStage& stage, const StageOptions& options)
{
    return std::make_unique<StagedFilm>(film, [&film, &stage, options](const EyePair& pair) {
        return SubtitledPair(stage, film, pair, options);
    });
}

}  // namespace plexo::subtitle
