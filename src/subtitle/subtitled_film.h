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

// The time of a film's pair (the first eye's, in a film whose partner is
// another moment) in microseconds: the pair's own when it keeps one, else
// its frame number over the film's stated `frameRate`; -1 without either.
int64_t PairTimeUs(const EyePair& pair, double frameRate);

// A film's pair with the subtitle of its moment drawn; null when no
// subtitle shows then, or without the memory for a copy. Any thread.
EyePairPtr SubtitledPair(SubtitleStage& stage, double frameRate, const EyePair& pair, const StageOptions& options);

// The film whose pairs pass through SubtitledPair; the film and the stage
// must outlive it.
std::unique_ptr<StagedFilm> SubtitledFilm(Film& film, SubtitleStage& stage, const StageOptions& options);

}  // namespace plexo::subtitle
