#include "film/film.h"

namespace plexo {

Picture FilmPicture(Film& film, Eye eye, Tone tone)
{
    int32_t w = 0, h = 0;
    const uint8_t* data = nullptr;
    if (tone == Tone::Grey)
        data = eye == Eye::Current ? film.GreyPicture(w, h) : film.PartnerGreyPicture(w, h);
    else
        data = eye == Eye::Current ? film.ColourPicture(w, h) : film.PartnerColourPicture(w, h);
    if (!data || w <= 0 || h <= 0)
        return {};
    return {data, w, h, tone == Tone::Grey ? 1 : 3};
}

}  // namespace plexo
