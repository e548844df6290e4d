#pragma once
// The pair pipeline of what the window shows, built from the document's film
// and choice, the presentation the player shows and, for one shown one to
// one, the view's size; handed to the player and the view. The window asks
// it again at every change of any of them; it builds anew only when one
// changed, taking over what the last pipeline opened.

#include <memory>
#include <optional>
#include <string>

#include "pipeline/pair_pipeline.h"

namespace plexo {

class CPlexoDoc;
class CPlexoView;
namespace play {
class Player;
}

class ShownPipeline {
public:
    ShownPipeline(const CPlexoDoc& doc, play::Player& player, CPlexoView& view);

    void Sync();
    // The on-screen line drawn into both eyes over the subtitles; empty:
    // none. Sync shows it.
    void SetLine(std::string text) { lineText_ = std::move(text); }

private:
    // What a pipeline was built from, as far as the window decides it.
    struct Basis {
        pipeline::PipelineChoice choice;
        std::string path;
        double frameRate = 0;
        StereoLayout layout;

        bool operator==(const Basis& other) const;
    };
    Basis Current() const;
    // A spherical film's viewport in the view, for presentation `shown`;
    // none for a flat film.
    pipeline::SphereChoice ViewportOf(const Presentation& shown) const;

    const CPlexoDoc& doc_;
    play::Player& player_;
    CPlexoView& view_;
    std::optional<Basis> built_;
    std::shared_ptr<const pipeline::PairPipeline> pipeline_;
    std::string lineText_;
    // Made at the first line, and kept: its renderer is costly to start.
    std::shared_ptr<subtitle::TextLine> line_;
    bool lineFailed_ = false;
};

}  // namespace plexo
