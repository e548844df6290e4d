#pragma once
// The alignment of the pairs the viewer shows: each pair the player hands
// out passes through its stage, aligned by the film's kept correction, or
// every frame as it plays, or left as it is.

#include <memory>
#include <optional>
#include <string>

#include "align/align_model.h"
#include "align/frame_aligner.h"
#include "film/staged_film.h"

namespace plexo {

class ViewAlignment {
public:
    // The stage that aligns pairs for the document's `align` field, on any
    // thread; empty when the film is not aligned (or the field cannot be
    // read).
    PairStage StageFor(const std::string& align);
    // The model shown, for the frame display; none while not aligned.
    std::optional<align::AlignModel> Model() const;

private:
    std::string align_;
    std::optional<align::AlignModel> model_;
    std::shared_ptr<align::FrameAligner> everyFrame_;
};

}  // namespace plexo
