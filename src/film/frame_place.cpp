#include "film/frame_place.h"

namespace plexo {

FramePlace PlaceOf(const Film& film)
{
    FramePlace place;
    place.number = film.FrameNumber();
    place.count = film.FrameCount();
    place.shift = film.GetShift();
    place.position = film.Position() + 1;
    place.partnerNumber = film.PartnerNumber();
    return place;
}

}  // namespace plexo
