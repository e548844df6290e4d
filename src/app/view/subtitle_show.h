#pragma once
// The document's subtitle choice as the pictures shown carry it: the view's
// paint (and with it Save View As and Copy) and page flipping each see the
// film through one of these.

#include <memory>
#include <string>

#include "film/film.h"
#include "film/staged_film.h"
#include "present/presentation.h"

namespace plexo {

class CPlexoDoc;

namespace subtitle {
class SubtitleStage;
struct StageOptions;
}  // namespace subtitle

class SubtitleShow {
public:
    // Automatic depth looks over each event ahead on a second opening of
    // the film, on a worker, since a player cannot wait for it.
    SubtitleShow();
    ~SubtitleShow();

    // The stage that draws the document's subtitles into the film's pairs
    // for `presentation`, on any thread; empty when they are off or the film
    // has none. It leaves a pair with no subtitle at its time as it is. A
    // presentation shown one to one and cut to a view of `viewWidth` x
    // `viewHeight` pixels has them laid out within the part on the screen;
    // 0 x 0 over the whole eye.
    PairStage StageFor(Film& film, const CPlexoDoc& doc, PresentationId presentation, int viewWidth,
                       int viewHeight);
    // The disparity of the subtitle last drawn, 0 before any.
    int disparity() const;

private:
    // The stage for the document's choice, made again when it changed;
    // null when no subtitles show.
    subtitle::SubtitleStage* Stage(Film& film, const CPlexoDoc& doc);
    subtitle::StageOptions Options(const Film& film, const CPlexoDoc& doc, PresentationId presentation, int viewWidth,
                                   int viewHeight) const;

    // The film and track the stage was opened for.
    std::string key_;
    std::shared_ptr<subtitle::SubtitleStage> stage_;
};

}  // namespace plexo
