#pragma once
// The subtitles a pipeline draws, opened when it is built: the track chosen
// and the look-ahead of automatic depth over a second opening of the film.

#include <memory>
#include <string>

#include "pipeline/pipeline_choice.h"
#include "subtitle/subtitle_stage.h"

namespace plexo::pipeline {

// The stage that draws the subtitles `choice` names into the film's pairs;
// null when none show: none chosen, none to show unasked, or they cannot be
// had (`why` then says so). A player's look-ahead worker lives as long as
// the stage.
std::shared_ptr<subtitle::SubtitleStage> OpenPipelineSubtitles(const PipelineFilm& film, const PipelineChoice& choice, std::string& why);

}  // namespace plexo::pipeline
