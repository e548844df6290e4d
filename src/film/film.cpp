#include "film/film.h"

namespace plexo {

Picture Film::PictureView(Eye eye, Tone tone)
{
    int32_t w = 0, h = 0;
    const uint8_t* data = EyePicture(eye, tone, w, h);
    if (!data || w <= 0 || h <= 0)
        return {};
    return {data, w, h, tone == Tone::Grey ? 1 : 3};
}

TimedSource& Film::Timing()
{
    // Stateless: every film of frames shares it.
    static FramesTiming frames;
    return frames;
}

Picture FilmPicture(Film& film, Eye eye, Tone tone)
{
    return film.PictureView(eye, tone);
}

EyePairPtr Film::Pair(Tone tone)
{
    // Each picture is valid only until the next request, so the first is
    // copied before the second is asked for.
    const Picture first = PictureView(Eye::Current, tone);
    if (!first)
        return nullptr;
    EyePairPtr firstOnly = CopiedPair(first, {}, FrameNumber(), PartnerNumber(), -1);
    if (!firstOnly)
        return nullptr;
    const Picture second = PictureView(Eye::Partner, tone);
    if (!second)
        return firstOnly;
    return CopiedPair(firstOnly->first, second, FrameNumber(), PartnerNumber(), -1);
}

int32_t PositionAtTime(Film& film, int64_t us)
{
    int32_t lo = 0;
    int32_t hi = film.FrameCount() - 1;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo + 1) / 2;
        if (film.Timing().TimeAt(mid) <= us)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

}  // namespace plexo
