#pragma once
// ASS text kept within what a frame can show before libass sees it: libass
// draws a glyph, its border and its blur whole before clipping them to the
// frame, so a font size of 100000 makes gigabytes of pixels. Font sizes and
// scales are bounded so that no glyph is taller than the frame, blurs and
// borders to a part of it. libass has no setting for this: the styles and
// the events' override tags are rewritten.

#include <functional>
#include <string>
#include <string_view>

extern "C" {
#include <ass/ass.h>
}

namespace plexo::subtitle {

// The sizes in force at a point of an event's text, in the script's pixels
// (scales as fractions, 1 for 100%).
struct GlyphSize {
    double size = 0;
    double scaleX = 1;
    double scaleY = 1;
};

// The limits, in the script's pixels.
struct AssBounds {
    // The frame's height and width: a glyph no taller or wider.
    double height = 0;
    double width = 0;
    // The largest blur radius and border width.
    double blur = 0;
    double border = 0;
};

// Scales beyond 800% are taken as 800%, so that an animation between two
// bounded sizes stays near the bounds.
inline constexpr double kMaxGlyphScale = 8;

// The event's text with every override tag beyond the bounds rewritten to
// the bound; `start` is the event's style, `styleNamed` the style a \r tag
// names. `cuts` counts the tags rewritten.
std::string BoundOverrides(std::string_view text, const GlyphSize& start,
                           const std::function<GlyphSize(std::string_view)>& styleNamed, const AssBounds& bounds,
                           int& cuts);

// The track's styles and events within the bounds of its frame; the count
// of styles and events changed.
int BoundTrack(ASS_Track& track);

}  // namespace plexo::subtitle
