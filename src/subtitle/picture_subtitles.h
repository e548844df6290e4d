#pragma once
// Picture subtitles (PGS, DVB, DVD) as decoded: bitmaps laid out over the
// frame size the stream was made for, scaled to the eye when it differs.

#include <vector>

#include "subtitle/subtitle_source.h"

namespace plexo::subtitle {

struct PictureEvent {
    EventSpan span;
    // Laid out over the stream's frame, top row 0.
    SubtitleBitmap bitmap;
};

// Null when there are no events. `frameWidth` × `frameHeight` is the frame
// the events are laid out over.
SubtitleSourcePtr PictureSubtitles(std::vector<PictureEvent> events, int frameWidth, int frameHeight);

}  // namespace plexo::subtitle
