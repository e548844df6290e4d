// The rate a film plays at: a video's own, or the one set for it in the
// Settings dialog and kept in its record of the "Films" section.

#include <algorithm>
#include <cmath>

#include "doc/document.h"

namespace plexo {

namespace {

constexpr const char* kRateField = "fps";
// A frame a hundred seconds to beyond any display's refresh; a hand-edited
// value outside is not trusted.
constexpr double kLowestFilmRate = 0.01;
constexpr double kHighestFilmRate = 1000;

// The Settings dialog shows a rate to 15 digits, so a rate left as it was
// (30000/1001) comes back a little off.
bool SameRate(double a, double b)
{
    return std::abs(a - b) <= 1e-12 * std::max(std::abs(a), std::abs(b));
}

}  // namespace

double CPlexoDoc::playRate(double framesPerSecond) const
{
    if (!ownRate())
        return framesPerSecond;
    return record_.Decimal(kRateField, kLowestFilmRate, kHighestFilmRate).value_or(film_->FrameRate());
}

void CPlexoDoc::setFilmRate(double rate)
{
    if (!ownRate() || SameRate(rate, playRate(0)))
        return;
    // The stream's own rate, or one no film plays at, is no rate of the
    // film's own.
    if (rate >= kLowestFilmRate && rate <= kHighestFilmRate && !SameRate(rate, film_->FrameRate()))
        record_.SetDecimal(kRateField, rate);
    else
        record_.Erase(kRateField);
    if (!filmKey_.empty())
        KeepFilm(filmKey_, record_);
}

}  // namespace plexo
