#include "subtitle/burnt_subtitles.h"

#include "subtitle/look_ahead.h"
#include "subtitle/subtitle_tracks.h"
#include "subtitle/subtitled_film.h"

namespace plexo::subtitle {

std::unique_ptr<StagedFilm> BurntSubtitles::Shown(Film& film) const
{
    return SubtitledFilm(film, *stage, options);
}

BurntSubtitles OpenBurntSubtitles(const std::string& filmPath, const std::string& which, const DepthChoice& depth,
                                  const Film& film, PresentationId shown, const std::function<FilmPtr()>& reopen,
                                  std::string& why)
{
    SubtitleSourcePtr source = OpenSubtitles(filmPath, which, why);
    if (!source)
        return {};
    BurntSubtitles burnt{std::make_shared<SubtitleStage>(std::move(source)), {}};
    burnt.options.depth = depth;
    burnt.options.mono = ShowsOneEye(shown);
    burnt.options.layout = film.Layout().layout;
    if (depth.mode == DepthMode::Automatic && reopen)
        if (FilmPtr probe = reopen())
            burnt.stage->SetLookAhead(FilmLookAhead(std::shared_ptr<Film>(std::move(probe)), burnt.options.range));
    return burnt;
}

}  // namespace plexo::subtitle
