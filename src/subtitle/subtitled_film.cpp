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

const EyePair* SubtitledFilm::Drawn(Tone tone)
{
    DrawnPair& drawn = drawn_[tone == Tone::Grey ? 0 : 1];
    if (drawn.frame == film_.FrameNumber() && drawn.partner == film_.PartnerNumber())
        return drawn.pair.get();
    drawn = {nullptr, film_.FrameNumber(), film_.PartnerNumber()};
    const int64_t time = CurrentTimeUs(film_, nullptr);
    if (time < 0 || !stage_.source().EventAt(time))
        return nullptr;
    EyePairPtr pair = film_.Pair(tone);
    if (!pair)
        return nullptr;
    if (pair->timestampUs < 0) {
        auto timed = std::make_shared<EyePair>(*pair);
        timed->timestampUs = time;
        pair = std::move(timed);
    }
    EyePairPtr shown = stage_.Apply(pair, options_);
    // Without the memory for a copy the film's own pictures are shown.
    drawn.pair = shown != pair ? shown : nullptr;
    return drawn.pair.get();
}

Picture SubtitledFilm::PictureView(Eye eye, Tone tone)
{
    if (const EyePair* pair = Drawn(tone))
        return eye == Eye::Current ? pair->first : pair->second;
    return film_.PictureView(eye, tone);
}

EyePairPtr SubtitledFilm::Pair(Tone tone)
{
    Drawn(tone);
    if (const EyePairPtr& pair = drawn_[tone == Tone::Grey ? 0 : 1].pair)
        return pair;
    return film_.Pair(tone);
}

const uint8_t* SubtitledFilm::Raw(Eye eye, Tone tone, int32_t& width, int32_t& height)
{
    if (!Drawn(tone)) {
        if (eye == Eye::Current)
            return tone == Tone::Grey ? film_.GreyPicture(width, height) : film_.ColourPicture(width, height);
        return tone == Tone::Grey ? film_.PartnerGreyPicture(width, height)
                                  : film_.PartnerColourPicture(width, height);
    }
    // The drawn copies are packed, as the raw operations hand pictures out.
    const Picture picture = PictureView(eye, tone);
    width = picture.width;
    height = picture.height;
    return picture.data;
}

const uint8_t* SubtitledFilm::GreyPicture(int32_t& width, int32_t& height)
{
    return Raw(Eye::Current, Tone::Grey, width, height);
}
const uint8_t* SubtitledFilm::PartnerGreyPicture(int32_t& width, int32_t& height)
{
    return Raw(Eye::Partner, Tone::Grey, width, height);
}
const uint8_t* SubtitledFilm::ColourPicture(int32_t& width, int32_t& height)
{
    return Raw(Eye::Current, Tone::Colour, width, height);
}
const uint8_t* SubtitledFilm::PartnerColourPicture(int32_t& width, int32_t& height)
{
    return Raw(Eye::Partner, Tone::Colour, width, height);
}

}  // namespace plexo::subtitle
