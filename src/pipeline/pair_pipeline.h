#pragma once
// The one chain of stages from a film's pair to the pair shown: a
// spherical film's viewport, the alignment (the film's kept correction, or every frame), then the
// subtitles. The player, the Export dialog and every plexo-tool command take
// their pairs through one of these; none assembles stages itself.
//
// A pipeline is built once, from the film and the choice, and opens what it
// draws from (the subtitle track, the look-ahead's second opening of the
// film) then, never while pairs pass through it. A change of the choice
// builds another, which takes over what the last one opened where the
// choice kept it: a new presentation or view size keeps the track and the
// every-frame alignment's smoothing.

#include <memory>
#include <optional>
#include <string>

#include "align/align_model.h"
#include "film/staged_film.h"
#include "pipeline/pipeline_choice.h"

namespace plexo::align {
class FrameAligner;
}
namespace plexo::subtitle {
class SubtitleStage;
}

namespace plexo::pipeline {

class PairPipeline {
public:
    // The stage a film's pair passes through, on any thread; empty when no
    // stage applies and pairs are shown as they are.
    const PairStage& Stage() const { return stage_; }
    // The pairs are aligned: the film's own D goes with the correction.
    bool Aligns() const { return bool(alignment_.stage); }
    // A spherical film is looked into: a drag turns its camera.
    bool LooksAround() const { return bool(viewport_.stage); }
    // The correction shown, for the frame display: the kept one, or the
    // last frame's while every frame is aligned; none while not aligned.
    std::optional<align::AlignModel> AlignmentShown() const;
    // The disparity of the subtitle last drawn, 0 before any.
    int SubtitleDisparity() const;
    // The film seen through the stages, for what writes it out: it reads
    // through `film`, which must outlive it; null when no stage applies and
    // `film` is written as it is.
    std::unique_ptr<Film> Through(Film& film) const;
    // The scale the film is asked to make its pictures at, the one value a
    // player passes on (Player::SetPictureScale): the scale shown, but the
    // own size when a stage needs the eyes at their own size (a correction's
    // shifts and crops are in the film's pixels).
    const PictureScale& MadeAt() const { return madeAt_; }

private:
    friend std::shared_ptr<const PairPipeline> BuildPipeline(const PipelineFilm&, const PipelineChoice&,
                                                             std::string&, const PairPipeline*);

    struct Alignment {
        // The choice it was made for; empty for one never taken over.
        std::string key;
        std::optional<align::AlignModel> model;
        std::shared_ptr<align::FrameAligner> everyFrame;
        PairStage stage;
    };
    struct Subtitles {
        std::string key;
        // Null when the choice shows none, or they could not be had.
        std::shared_ptr<subtitle::SubtitleStage> stage;
    };

    struct Viewport {
        std::string key;
        PairStage stage;
    };

    Viewport viewport_;
    Alignment alignment_;
    Subtitles subtitles_;
    PairStage stage_;
    PictureScale madeAt_;
};

// The pipeline for `film` and `choice`, never null. Subtitles chosen that
// cannot be had are left out, with `why` set; taken over from `previous`
// (built for the same film), they were reported then and `why` stays empty.
std::shared_ptr<const PairPipeline> BuildPipeline(const PipelineFilm& film, const PipelineChoice& choice,
                                                  std::string& why, const PairPipeline* previous = nullptr);

}  // namespace plexo::pipeline
