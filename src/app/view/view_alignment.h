#pragma once
// What the view composes from when the film is aligned: the film behind a
// stage that aligns its pairs, by the film's kept correction or every frame
// as it plays. Kept from paint to paint, so a still is resampled once.

#include <memory>
#include <optional>
#include <string>

#include "align/align_model.h"
#include "align/frame_aligner.h"
#include "film/staged_film.h"

namespace plexo {

class ViewAlignment {
public:
    // The film to compose from for the document's `align` field: the film
    // itself when it is not aligned (or the field cannot be read).
    Film& Shown(Film& film, const std::string& align);
    // The model shown, for the frame display; none while not aligned.
    std::optional<align::AlignModel> Model() const;

private:
    Film* film_ = nullptr;
    std::string align_;
    std::optional<align::AlignModel> model_;
    std::unique_ptr<align::FrameAligner> everyFrame_;
    std::unique_ptr<StagedFilm> staged_;
};

}  // namespace plexo
