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
    EyePairPtr pair = Through(inner_.Pair(tone));
    staged = {pair, frame, partner, position, count, std::move(source)};
    return pair;
}

EyePairPtr StagedFilm::Through(EyePairPtr pair) const
{
    if (pair)
        if (EyePairPtr made = stage_(*pair))
            return made;
    return pair;
}

Picture StagedFilm::PictureView(Eye eye, Tone tone)
{
    const EyePairPtr pair = Pair(tone);
    if (!pair)
        return {};
    return eye == Eye::Current ? pair->first : pair->second;
}

const uint8_t* StagedFilm::EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height)
{
    const Picture picture = PictureView(eye, tone);
    // The picture operations hand out packed pictures, as the pairs are.
    if (!picture || !picture.packed())
        return nullptr;
    width = picture.width;
    height = picture.height;
    return picture.data;
}

}  // namespace plexo
