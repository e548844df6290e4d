#include "film/staged_film.h"

namespace plexo {

EyePairPtr StagedFilm::Pair(Tone tone)
{
    Staged& staged = staged_[tone == Tone::Grey ? 0 : 1];
    const int32_t frame = inner_.FrameNumber(), partner = inner_.PartnerNumber(), position = inner_.Position();
    const int32_t count = inner_.FrameCount();
    std::string source = inner_.SourceFile(Eye::Current);
    if (staged.pair && staged.frame == frame && staged.partner == partner && staged.position == position &&
        staged.count == count && staged.source == source)
        return staged.pair;
    EyePairPtr pair = inner_.Pair(tone);
    if (pair)
        if (EyePairPtr made = stage_(*pair))
            pair = std::move(made);
    staged = {pair, frame, partner, position, count, std::move(source)};
    return pair;
}

Picture StagedFilm::PictureView(Eye eye, Tone tone)
{
    const EyePairPtr pair = Pair(tone);
    if (!pair)
        return {};
    return eye == Eye::Current ? pair->first : pair->second;
}

const uint8_t* StagedFilm::Raw(Eye eye, Tone tone, int32_t& width, int32_t& height)
{
    const Picture picture = PictureView(eye, tone);
    // The four operations hand out packed pictures, as the pairs are.
    if (!picture || !picture.packed())
        return nullptr;
    width = picture.width;
    height = picture.height;
    return picture.data;
}

const uint8_t* StagedFilm::GreyPicture(int32_t& width, int32_t& height)
{
    return Raw(Eye::Current, Tone::Grey, width, height);
}

const uint8_t* StagedFilm::PartnerGreyPicture(int32_t& width, int32_t& height)
{
    return Raw(Eye::Partner, Tone::Grey, width, height);
}

const uint8_t* StagedFilm::ColourPicture(int32_t& width, int32_t& height)
{
    return Raw(Eye::Current, Tone::Colour, width, height);
}

const uint8_t* StagedFilm::PartnerColourPicture(int32_t& width, int32_t& height)
{
    return Raw(Eye::Partner, Tone::Colour, width, height);
}

}  // namespace plexo
