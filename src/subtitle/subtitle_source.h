#pragma once
// A subtitle track as the drawing asks it: what shows at a moment, laid out
// for an eye of a given size, and when the events shown then begin and end
// (the depth is held for an event).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "subtitle/subtitle_bitmap.h"

namespace plexo::subtitle {

// Film time in microseconds, [start, end).
struct EventSpan {
    int64_t start = 0;
    int64_t end = 0;
};

// What a subtitle is laid out over: a picture of width × height pixels
// that shows a frame the source knew as storageWidth × storageHeight (the
// same size unless an eye of a half-size layout was stretched back).
struct Canvas {
    int width = 0;
    int height = 0;
    int storageWidth = 0;
    int storageHeight = 0;
};

inline Canvas CanvasOf(int width, int height) { return {width, height, width, height}; }

class SubtitleSource {
public:
    virtual ~SubtitleSource() = default;
    // What shows at `timeUs` over the canvas; empty when nothing does.
    // Valid until the next call.
    virtual const SubtitleBitmap& Render(int64_t timeUs, const Canvas& canvas) = 0;
    // The span of the events shown at `timeUs`, from the first of them to
    // start to the last to end; nullopt when none shows.
    virtual std::optional<EventSpan> EventAt(int64_t timeUs) const = 0;
    // The span of the events shown at the first start after `timeUs`;
    // nullopt when none starts later.
    virtual std::optional<EventSpan> NextEvent(int64_t timeUs) const = 0;
};

using SubtitleSourcePtr = std::unique_ptr<SubtitleSource>;

// A font a Matroska file carries as an attachment.
struct AttachedFont {
    std::string name;
    std::vector<uint8_t> bytes;
};

// A text event: its times in milliseconds and its text in ASS's dialogue
// form (override tags and \N line breaks), or for AssEventSubtitles the
// whole line of a Matroska block: ReadOrder, Layer, Style, Name, MarginL,
// MarginR, MarginV, Effect, Text.
struct TextEvent {
    int64_t startMs = 0;
    int64_t durationMs = 0;
    std::string text;
};

}  // namespace plexo::subtitle
