// The rate a film plays at: a video's own, or the one set for it in the
// Settings dialog and kept in its record of the "Films" section.

#include "doc/document.h"

namespace plexo {

namespace {

constexpr const char* kRateField = "fps";
// Beyond any display's refresh; a hand-edited value past it is not trusted.
constexpr double kMaxFilmRate = 1000;

}  // namespace

double CPlexoDoc::playRate(double framesPerSecond) const
{
    if (!ownRate())
        return framesPerSecond;
    return record_.Decimal(kRateField, 0, kMaxFilmRate)
        .value_or(film_->FrameRate());
}

void CPlexoDoc::setFilmRate(double rate)
{
    if (!ownRate() || rate == playRate(0))
        return;
    // The stream's own rate, or none a film can play at, is no rate of the
    // film's own.
    if (rate > 0 && rate <= kMaxFilmRate && rate != film_->FrameRate())
        record_.SetDecimal(kRateField, rate);
    else
        record_.Erase(kRateField);
    if (!filmKey_.empty())
        KeepFilm(filmKey_, record_);
}

}  // namespace plexo
