// Where a video reopens, and how the film and the list loop.

#include <algorithm>

#include "doc/document.h"
#include "doc/resume_rule.h"
#include "platform/playback_settings.h"

namespace plexo {

namespace {

constexpr const char* kPositionField = "position";

// Only a film whose frames keep times is resumed: a video.
bool Resumable(Film& film)
{
    return film.FrameRate() > 0 && film.FrameCount() > 0 && film.Timing().TimeAt(0) >= 0
           && film.Duration() > kShortestResumed;
}

}  // namespace

void CPlexoDoc::KeepPosition()
{
    if (!resume_ || !film_ || filmKey_.empty() || !Resumable(*film_))
        return;
    const double at = double(film_->Timing().TimeAt(film_->Position())) / 1e6;
    const std::optional<double> kept = PositionToKeep(at, film_->Duration());
    bool changed = false;
    if (kept) {
        changed = record_.Decimal(kPositionField, 0, film_->Duration()) != kept;
        record_.SetDecimal(kPositionField, *kept);
    } else {
        changed = record_.Erase(kPositionField);
    }
    if (changed)
        KeepFilm(filmKey_, record_);
}

void CPlexoDoc::ResumePosition()
{
    resumedAt_.reset();
    if (!resume_ || !film_ || !Resumable(*film_))
        return;
    const double duration = film_->Duration();
    const std::optional<double> at = record_.Decimal(kPositionField, 0, duration);
    // A hand-edited place at the very end starts over, as one kept there would.
    if (!at || !PositionToKeep(*at, duration))
        return;
    if (film_->Seek(PositionAtTime(*film_, int64_t(*at * 1e6))))
        resumedAt_ = *at;
}

LoopMode CPlexoDoc::loopMode() const
{
    return Round ? LoopMode::Film : loopList_ ? LoopMode::List : LoopMode::Off;
}

void CPlexoDoc::setLoopMode(LoopMode mode)
{
    Round = mode == LoopMode::Film;
    loopList_ = mode == LoopMode::List;
    if (film_)
        film_->SetRound(Round != 0);
}

void CPlexoDoc::setSlideSeconds(int32_t seconds)
{
    slideSeconds_ = std::clamp(seconds, 1, platform::kMaxSlideSeconds);
}

}  // namespace plexo
