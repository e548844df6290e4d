#pragma once
// Subtitles burnt into what an export or a still writes, chosen as
// plexo-tool's --subtitles and --subtitle-depth name them: plexo-tool's
// compose, frame and export and the Export Stereo dialog all open them here.

#include <functional>
#include <memory>
#include <string>

#include "film/film.h"
#include "film/staged_film.h"
#include "present/presentation.h"
#include "subtitle/subtitle_stage.h"

namespace plexo::subtitle {

struct BurntSubtitles {
    std::shared_ptr<SubtitleStage> stage;
    StageOptions options;

    explicit operator bool() const { return stage != nullptr; }
    // The film seen with the subtitles drawn; the stage and the film must
    // outlive it.
    std::unique_ptr<StagedFilm> Shown(Film& film) const;
};

// The subtitles `which` names for the film of `filmPath` ("default", a
// track's number from 1, a subtitle file: OpenSubtitles), at `depth`, drawn
// for presentation `shown`; `reopen`, when given, opens the same film again,
// set up as `film`, on which automatic depth looks over each event ahead.
// Empty with `why` set when they cannot be had.
BurntSubtitles OpenBurntSubtitles(const std::string& filmPath, const std::string& which, const DepthChoice& depth,
                                  const Film& film, PresentationId shown, const std::function<FilmPtr()>& reopen,
                                  std::string& why);

}  // namespace plexo::subtitle
