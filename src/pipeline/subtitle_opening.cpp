#include "pipeline/subtitle_opening.h"

#include "platform/background_threads.h"
#include "subtitle/ahead_worker.h"
#include "subtitle/look_ahead.h"
#include "subtitle/subtitle_tracks.h"

namespace plexo::pipeline {

namespace {

subtitle::SubtitleSourcePtr OpenSource(const PipelineFilm& film, const PipelineChoice& choice, std::string& why)
{
    if (choice.subtitlesFrom == SubtitlesFrom::Named)
        return subtitle::OpenSubtitles(film.path, choice.subtitles, why);
    const std::vector<subtitle::SubtitleTrack> tracks = subtitle::SubtitleTracks(film.path);
    if (const int32_t unasked = subtitle::UnaskedTrack(tracks))
        return subtitle::OpenTrack(film.path, tracks[size_t(unasked - 1)], why);
    return nullptr;
}

}  // namespace

std::shared_ptr<subtitle::SubtitleStage> OpenPipelineSubtitles(const PipelineFilm& film, const PipelineChoice& choice,
                                                               std::string& why)
{
    if (choice.subtitlesFrom == SubtitlesFrom::None || film.path.empty())
        return nullptr;
    subtitle::SubtitleSourcePtr source = OpenSource(film, choice, why);
    if (!source)
        return nullptr;
    auto stage = std::make_shared<subtitle::SubtitleStage>(std::move(source));
    const int range = subtitle::StageOptions{}.range;
    if (!film.reopen)
        return stage;
    if (film.lookAhead == LookAheadOn::Caller) {
        if (choice.depth.mode == subtitle::DepthMode::Automatic)
            if (FilmPtr probe = film.reopen())
                stage->SetLookAhead(subtitle::FilmLookAhead(std::shared_ptr<Film>(std::move(probe)), range));
        return stage;
    }
    // The second film decodes beside the one playing: its threads and the
    // worker's give way to playback's, and an answer that comes late leaves
    // the depth to the rule that needs none.
    auto worker = std::make_shared<subtitle::AheadWorker>();
    bool started = false;
    platform::StartInBackground([&] {
        if (FilmPtr probe = film.reopen()) {
            worker->Start(subtitle::FilmLookAhead(std::shared_ptr<Film>(std::move(probe)), range, worker->Stopping()));
            started = true;
        }
    });
    if (started)
        stage->SetAheadAsk([worker](const subtitle::EventSpan& event, const subtitle::Box& box, bool early) {
            return worker->Ask(event, box, early);
        });
    return stage;
}

}  // namespace plexo::pipeline
