#include "subtitle/look_ahead.h"

#include <algorithm>
#include <cmath>

namespace plexo::subtitle {

LookAhead FilmLookAhead(std::shared_ptr<Film> film, int range, std::function<bool()> stopping)
{
    // The frames measured lie apart: those between are only decoded on the
    // way, and none after the event.
    film->Timing().SetReadAhead(false);
    return [film = std::move(film), range, stopping = std::move(stopping)](const EventSpan& event, const Box& box) -> std::optional<int> {
        const double rate = film->FrameRate();
        if (rate <= 0)
            return std::nullopt;
        const int64_t first = int64_t(std::ceil(double(event.start) * rate / 1e6));
        const int64_t last = std::min<int64_t>(film->FrameCount() - 1,
                                               int64_t(std::ceil(double(event.end) * rate / 1e6)) - 1);
        if (last < first)
            return std::nullopt;
        const int64_t step = std::max<int64_t>(1, (last - first + kLookAheadFrames) / kLookAheadFrames);
        std::optional<int> nearest;
        for (int64_t n = first; n <= last && !(stopping && stopping()); n += step) {
            if (!film->Seek(int32_t(n)))
                break;
            const EyePairPtr pair = film->Pair(Tone::Grey);
            if (!pair)
                continue;
            if (const auto d = NearestDisparity(pair->first, pair->second, box, range))
                nearest = std::max(nearest.value_or(*d), *d);
        }
        film->ReleasePictures();
        return nearest;
    };
}

bool ShowsOneEye(PresentationId id)
{
    return id == PresentationId::Plain || id == PresentationId::MonoFirst || id == PresentationId::MonoSecond;
}

}  // namespace plexo::subtitle
