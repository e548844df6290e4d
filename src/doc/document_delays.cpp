// The film's sound and subtitle delays, kept in its record of the "Films"
// section while they are not 0.

#include <algorithm>

#include "doc/document.h"

namespace plexo {

namespace {

constexpr const char* kAudioDelayField = "audio-delay";
constexpr const char* kSubtitleDelayField = "subtitle-delay";
constexpr int32_t kMostDelayMs = 600000;

}  // namespace

int32_t CPlexoDoc::audioDelayMs() const
{
    return film_ ? record_.Number(kAudioDelayField, kMostDelayMs).value_or(0) : 0;
}

int32_t CPlexoDoc::subtitleDelayMs() const
{
    return film_ ? record_.Number(kSubtitleDelayField, kMostDelayMs).value_or(0) : 0;
}

void CPlexoDoc::MoveAudioDelay(int32_t ms)
{
    MoveDelay(kAudioDelayField, audioDelayMs(), ms);
}

void CPlexoDoc::MoveSubtitleDelay(int32_t ms)
{
    MoveDelay(kSubtitleDelayField, subtitleDelayMs(), ms);
}

void CPlexoDoc::MoveDelay(const char* field, int32_t now, int32_t ms)
{
    const int32_t moved = std::clamp(now + ms, -kMostDelayMs, kMostDelayMs);
    if (!film_ || moved == now)
        return;
    if (moved != 0)
        record_.SetNumber(field, moved);
    else
        record_.Erase(field);
    if (!filmKey_.empty())
        KeepFilm(filmKey_, record_);
    TellFilmMoved();
}

}  // namespace plexo
