#pragma once
// Looking over an event ahead on a film of its own: the frames of the event
// are read from a second opening of the film, so the film shown keeps its
// place and its cache.

#include <functional>
#include <memory>

#include "film/film.h"
#include "present/presentation.h"
#include "subtitle/subtitle_stage.h"

namespace plexo::subtitle {

// At most this many frames of an event are measured, evenly spread.
inline constexpr int kLookAheadFrames = 48;

// The nearest content under the box over the event's frames of `film`
// (the same film as the one shown, with the same shift), by their times
// from the stated rate; nullopt for a film that states no rate or finds
// nothing under the box. `stopping`, when given, is asked before each frame:
// true gives up with what was found so far.
LookAhead FilmLookAhead(std::shared_ptr<Film> film, int range, std::function<bool()> stopping = {});

// True for the presentations that show one eye, where subtitles are drawn
// unshifted: plain and the two mono ones.
bool ShowsOneEye(PresentationId id);

}  // namespace plexo::subtitle
