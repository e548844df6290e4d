#include "app/window/shown_pipeline.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "app/view/plexo_view.h"
#include "doc/document.h"
#include "platform/log.h"
#include "subtitle/ass_subtitles.h"
#include "play/player.h"

namespace plexo {

bool ShownPipeline::Basis::operator==(const Basis& other) const
{
    const auto fields = [](const Basis& b) {
        const pipeline::PipelineChoice& c = b.choice;
        return std::tie(c.align, c.subtitlesFrom, c.subtitles, c.depth, c.subtitleDelayUs, c.line, c.presentation,
                        c.viewWidth, c.viewHeight, c.shownScale, c.sphere, b.path, b.frameRate, b.layout);
    };
    return fields(*this) == fields(other);
}

ShownPipeline::ShownPipeline(const CPlexoDoc& doc, play::Player& player, CPlexoView& view)
    : doc_(doc), player_(player), view_(view)
{
}

ShownPipeline::Basis ShownPipeline::Current() const
{
    Basis basis;
    pipeline::PipelineChoice& choice = basis.choice;
    choice.align = doc_.alignment();
    const std::optional<int32_t> track = doc_.subtitleTrack();
    choice.subtitlesFrom = !track ? pipeline::SubtitlesFrom::Unasked
                           : *track == 0 ? pipeline::SubtitlesFrom::None
                                         : pipeline::SubtitlesFrom::Named;
    if (track)
        choice.subtitles = std::to_string(*track);
    choice.depth = subtitle::ParseDepth(doc_.subtitleDepth()).value_or(subtitle::DepthChoice{});
    choice.subtitleDelayUs = int64_t(doc_.subtitleDelayMs()) * 1000;
    choice.line = lineText_;
    // Subtitles are laid out within the part of a picture shown one to one
    // that the view holds.
    const Presentation& shown = player_.Shown();
    choice.presentation = shown.id;
    if (shown.oneToOne && !shown.packing) {
        const qreal ratio = view_.devicePixelRatioF();
        choice.viewWidth = int(std::lround(view_.width() * ratio));
        choice.viewHeight = int(std::lround(view_.height() * ratio));
    }
    // A film shown smaller than its own size is made at the size shown.
    choice.shownScale = view_.PictureScaleShown();
    if (const Film* film = doc_.film(); film && !doc_.filmPaths().empty()) {
        basis.path = doc_.filmPaths().front();
        basis.frameRate = film->FrameRate();
        basis.layout = film->Layout().layout;
        choice.sphere = ViewportOf(shown);
    }
    return basis;
}

pipeline::SphereChoice ShownPipeline::ViewportOf(const Presentation& shown) const
{
    pipeline::SphereChoice sphere;
    sphere.projection = doc_.projection().projection;
    if (!sphere.projection.spherical())
        return sphere;
    // Each eye fills its share of the view: a presentation that puts the
    // eyes side by side gives each half of it.
    const qreal ratio = view_.devicePixelRatioF();
    sphere.camera = doc_.sphereCamera();
    sphere.width = std::max(1, int(std::lround(view_.width() * ratio)) / std::max(1, int(shown.across)));
    sphere.height = std::max(1, int(std::lround(view_.height() * ratio)) / std::max(1, int(shown.down)));
    return sphere;
}

void ShownPipeline::Sync()
{
    Basis basis = Current();
    if (built_ && *built_ == basis)
        return;
    if (basis.path != (built_ ? built_->path : std::string()))
        if (const std::string why = UnshownProjection(doc_.projection().projection); !why.empty())
            LogMessage(basis.path + ": " + why);
    if (!basis.choice.line.empty() && !line_ && !lineFailed_) {
        std::string why;
        line_ = subtitle::MakeTextLine(why);
        lineFailed_ = !line_;
        if (lineFailed_)
            LogMessage("the on-screen line cannot be drawn: " + why);
    }
    pipeline::PipelineFilm film{basis.path, basis.frameRate, basis.layout, {}, pipeline::LookAheadOn::Worker, line_};
    if (const Film* shown = doc_.film())
        film.reopen = [this, shift = shown->GetShift()] {
            FilmPtr again = doc_.OpenFilmAgain();
            if (again)
                again->SetShift(shift);
            return again;
        };
    std::string why;
    pipeline_ = pipeline::BuildPipeline(film, basis.choice, why, pipeline_.get());
    if (!why.empty())
        LogMessage(basis.path + ": cannot show its subtitles: " + why);
    built_ = std::move(basis);
    player_.SetStage(pipeline_->Stage());
    player_.SetPictureScale(pipeline_->MadeAt());
    view_.SetPipeline(pipeline_);
}

}  // namespace plexo
