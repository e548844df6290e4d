#pragma once
// The compositors of the stereo presentations that take colour pictures of
// both eyes and place each in its area (present/eye_areas.h): the anaglyphs,
// both eyes in the two halves of the view, whole or squeezed, alternate
// columns or a checkerboard, and one eye alone. Each composes into a frame
// already sized and makes black every pixel no picture covers, the padding
// columns included. The first eye is placed by trunc(D/2) − D columns, the
// second moved by +D and up by the vertical alignment.
// A first eye that cannot be had gives a black frame, a second one its share
// in black.

#include "film/film.h"
#include "present/adjustments.h"
#include "present/anaglyph.h"
#include "present/eye_areas.h"
#include "present/frame_buffer.h"

namespace plexo {

// Over the whole view, each pixel the matrix applied to both eyes' pixels.
void ComposeAnaglyph(const EyePair& pair, const StereoAdjustments& adjust, const AnaglyphMatrix& matrix,
                     FrameBuffer& frame);

// Side by side or top-bottom, each eye centred in its half; `squeezed`
// halves each eye's width (side by side) or height (top-bottom) first.
void ComposeHalves(const EyePair& pair, const StereoAdjustments& adjust, EyeLayout layout, bool squeezed,
                   FrameBuffer& frame);

// The first eye on the screen columns x = left + column that are even, or
// with `checkerboard` where x + y is even, y = top + the row counted from the
// view's top on screen; the second eye on the others.
void ComposeAlternate(const EyePair& pair, const StereoAdjustments& adjust, int64_t left, int64_t top,
                      bool checkerboard, FrameBuffer& frame);

// The first eye, or with `second` the second eye, alone over the whole view,
// placed as in the other presentations.
void ComposeMono(const EyePair& pair, const StereoAdjustments& adjust, bool second, FrameBuffer& frame);

}  // namespace plexo
