#include "film/frame_place.h"

#include "film/ms_film.h"
#include "film/two_films.h"

namespace plexo {

FramePlace PlaceOf(const Film& film)
{
    const Film* source = &film;
    while (const auto* pair = dynamic_cast<const TwoFilms*>(source))
        source = &pair->first();
    FramePlace place;
    place.number = film.FrameNumber();
    place.count = film.FrameCount();
    place.shift = film.GetShift();
    if (const auto* single = dynamic_cast<const MSFilm*>(source)) {
        place.position = single->CurrentIndex() + 1;
        place.partnerNumber = single->PartnerNumber();
    }
    return place;
}

}  // namespace plexo
