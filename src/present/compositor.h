#pragma once
// What the view shows for one frame pair. The view hands the pair of eyes
// shown, the adjustments and the presentation shown to ComposeFrame, then
// paints the frame buffer at its client area's top-left corner, one
// buffer pixel to one device pixel, clipped to the client area (the up to
// three padding columns fall outside it).

#include <cstdint>

#include "film/film.h"
#include "present/frame_buffer.h"
#include "present/presentation.h"

namespace plexo {

// Composes the frame the view shows of `pair` into `frame`, sized for the
// context's view. This entry has no page flipper, so the page-flip
// presentation composes plain. False, with an empty frame, when the view is
// too large to compose (or inverted); a missing pair or picture is not a
// failure but black. The pair's pictures are in the presentation's tone.
bool ComposeFrame(const EyePair* pair, const ComposeContext& context, const Presentation& shown, FrameBuffer& frame);
// The same for the film's current pair, asked for in the presentation's tone.
bool ComposeFrame(Film* film, const StereoAdjustments& adjust, const ViewRect& view, const Presentation& shown,
                  FrameBuffer& frame);

// The compositors on a frame already prepared: sized, and black for the
// stereo ones; the plain one clears what its picture leaves uncovered. The
// first eye is the pair's current frame picture and the second the
// partner's, exchanged by swap; top is the screen row of the view's top edge.
// The current frame's colour picture, centred and cropped.
void ComposePlain(const EyePair& pair, FrameBuffer& frame);
// The first eye's grey picture in red, moved by trunc(D/2) − D columns, and
// the second's in blue, moved by +D and up by the vertical alignment.
void ComposeRedBlue(const EyePair& pair, const StereoAdjustments& adjust, FrameBuffer& frame);
// Alternate rows from the two colour pictures, placed as for red-blue; which
// eye takes the even rows follows the parity of `top`.
void ComposeInterlaced(const EyePair& pair, const StereoAdjustments& adjust, int32_t top, FrameBuffer& frame);

}  // namespace plexo
