#include "app/view/subtitle_show.h"

#include <algorithm>

#include "doc/document.h"
#include "platform/background_threads.h"
#include "platform/log.h"
#include "subtitle/ahead_worker.h"
#include "subtitle/look_ahead.h"
#include "subtitle/subtitle_tracks.h"
#include "subtitle/subtitled_film.h"

namespace plexo {

SubtitleShow::SubtitleShow() = default;

SubtitleShow::~SubtitleShow() = default;

int SubtitleShow::disparity() const
{
    return stage_ ? stage_->lastDisparity() : 0;
}

subtitle::SubtitleStage* SubtitleShow::Stage(Film& film, const CPlexoDoc& doc)
{
    const std::optional<int32_t> track = doc.subtitleTrack();
    if (doc.filmPaths().empty() || track == 0)
        return nullptr;
    const std::string& path = doc.filmPaths().front();
    const std::string key = path + '\n' + (track ? std::to_string(*track) : "default");
    if (key != key_) {
        key_ = key;
        stage_.reset();
        std::string why;
        subtitle::SubtitleSourcePtr source;
        if (track) {
            source = subtitle::OpenSubtitles(path, std::to_string(*track), why);
        } else {
            const std::vector<subtitle::SubtitleTrack> tracks = subtitle::SubtitleTracks(path);
            if (const int32_t unasked = subtitle::UnaskedTrack(tracks))
                source = subtitle::OpenTrack(path, tracks[size_t(unasked - 1)], why);
        }
        if (!source && !why.empty())
            LogMessage(path + ": cannot show its subtitles: " + why);
        if (source) {
            stage_ = std::make_shared<subtitle::SubtitleStage>(std::move(source));
            const int range = subtitle::StageOptions{}.range;
            // The second film decodes beside the one playing: its threads
            // and the worker's give way to playback's, and an answer that
            // comes late leaves the depth to the rule that needs none.
            auto worker = std::make_shared<subtitle::AheadWorker>();
            bool started = false;
            platform::StartInBackground([&] {
                if (std::shared_ptr<Film> probe = doc.OpenFilmAgain()) {
                    probe->SetShift(film.GetShift());
                    worker->Start(subtitle::FilmLookAhead(std::move(probe), range, worker->Stopping()));
                    started = true;
                }
            });
            if (started)
                stage_->SetAheadAsk([worker](const subtitle::EventSpan& event, const subtitle::Box& box, bool early) {
                    return worker->Ask(event, box, early);
                });
        }
    }
    return stage_.get();
}

subtitle::StageOptions SubtitleShow::Options(const Film& film, const CPlexoDoc& doc, PresentationId presentation,
                                             int viewWidth, int viewHeight) const
{
    subtitle::StageOptions options;
    options.depth = subtitle::ParseDepth(doc.subtitleDepth()).value_or(subtitle::DepthChoice{});
    options.mono = subtitle::ShowsOneEye(presentation);
    options.layout = film.Layout().layout;
    options.viewWidth = viewWidth;
    options.viewHeight = viewHeight;
    return options;
}

PairStage SubtitleShow::StageFor(Film& film, const CPlexoDoc& doc, PresentationId presentation, int viewWidth,
                                 int viewHeight)
{
    if (!Stage(film, doc))
        return {};
    return [stage = stage_, rate = film.FrameRate(),
            options = Options(film, doc, presentation, viewWidth, viewHeight)](const EyePair& pair) {
        return subtitle::SubtitledPair(*stage, rate, pair, options);
    };
}

}  // namespace plexo
