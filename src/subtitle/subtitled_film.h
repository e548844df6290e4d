#pragma once
// A film seen through the subtitle stage: every picture the compositors,
// Save View As and the export ask of it carries the subtitle of its moment,
// and everything else is the film's own. The viewer draws them into the
// pairs its player hands out (SubtitledPair); the tool and the export walk
// see the film wrapped, so that every compositor draws subtitles through the
// one stage.

#include <memory>

#include "film/film.h"
#include "film/staged_film.h"
#include "subtitle/subtitle_stage.h"

namespace plexo::subtitle {

// The time of the film's current frame (the first eye's, in a film whose
// partner is another moment) in microseconds: the pair's own when it keeps
// one, else its frame number over the stated rate; -1 without either.
int64_t CurrentTimeUs(const Film& film, const EyePair* pair);

// The film's current pair with the subtitle of its moment drawn; null when
// no subtitle shows then, or without the memory for a copy.
EyePairPtr SubtitledPair(SubtitleStage& stage, const Film& film, const EyePair& pair, const StageOptions& options);

// The film whose pairs pass through SubtitledPair; the film and the stage
// must outlive it.
std::unique_ptr<StagedFilm> SubtitledFilm(Film& film, SubtitleStage& stage, const StageOptions& options);

}  // namespace plexo::subtitle
