#pragma once
// The page-flip pair: one section a eye, as large as the picture when it is
// smaller than the view both ways (centred in it), else as large as the view,
// handed to the page flipper's ShowPair.

#include <cstdint>

#include "film/film.h"
#include "platform/gdi.h"
#include "present/compositor.h"
#include "present/frame_buffer.h"

namespace plexo {

class DDFlipper;

// The sections of one pair and the rectangle they go to. The buffers are
// kept between pairs so that steady playback allocates nothing.
struct FlipSections {
    ViewRect rect;
    FrameBuffer first;
    FrameBuffer second;

    platform::BitmapInfoHeader header() const;
};

// Composes both sections for the view (screen coordinates): the first eye's
// picture with the first stereo placement, the second eye's with the second
// and the vertical alignment. The section size follows the first eye's
// picture.
// False, with empty sections, when the sections cannot be had.
bool ComposeFlipSections(const EyePair& pair, const StereoAdjustments& adjust, const ViewRect& view,
                         FlipSections& sections);

// ComposeFlipSections, then the flipper's ShowPair.
void ComposeFlipPair(const ViewRect& view, const EyePair& pair, const StereoAdjustments& adjust, DDFlipper& flipper,
                    FlipSections& sections);

}  // namespace plexo
