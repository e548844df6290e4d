#include "present/stereo_compositors.h"

#include "present/alternate_pixels.h"
#include "present/frame_copy.h"
#include "present/half_copy.h"

namespace plexo {

namespace {

EyeArea WholeView(const FrameBuffer& frame) { return {0, 0, frame.viewWidth(), frame.height()}; }

// The block of the eye's picture over the whole view, or nothing without one.
EyeBlock PlaceOverView(const Picture& colour, const FrameBuffer& frame, int64_t shift, int64_t up)
{
    return colour ? PlaceInArea(colour.width, colour.height, WholeView(frame), shift, up) : EyeBlock{};
}

// The picture alone over the whole view, black around it.
void AloneOverView(const Picture& colour, int64_t shift, int64_t up, FrameBuffer& frame)
{
    const EyeBlock block = PlaceOverView(colour, frame, shift, up);
    frame.ClearOutside(block.rows, block.cols);
    if (!CopyColourRows(colour, block.rows, block.cols, 0, 1, frame.view()))
        frame.Clear();
}

// The first eye alone over the whole view; false without one.
bool FirstOverView(const EyePair& pair, const StereoAdjustments& adjust, FrameBuffer& frame)
{
    const Picture first = EyeOf(pair, FirstEye(adjust));
    AloneOverView(first, FirstShift(adjust.dist), 0, frame);
    return bool(first);
}

void PlaceInHalf(const Picture& colour, const EyeArea& area, int64_t shift, int64_t up, EyeLayout layout,
                 bool squeezed, FrameBuffer& frame)
{
    const bool columns = squeezed && layout == EyeLayout::SideBySide;
    const bool rows = squeezed && layout == EyeLayout::TopBottom;
    const EyeBlock block = PlaceInArea(columns ? HalfSize(colour.width) : colour.width,
                                       rows ? HalfSize(colour.height) : colour.height, area, shift, up);
    if (columns)
        CopyHalfColumns(colour, block.rows, block.cols, frame.view());
    else if (rows)
        CopyHalfRows(colour, block.rows, block.cols, frame.view());
    else
        CopyColourRows(colour, block.rows, block.cols, 0, 1, frame.view());
}

}  // namespace

void ComposeAnaglyph(const EyePair& pair, const StereoAdjustments& adjust, const AnaglyphMatrix& matrix, FrameBuffer& frame)
{
    // The first eye waits in the frame itself for the second.
    if (!FirstOverView(pair, adjust, frame))
        return;
    const Picture second = EyeOf(pair, SecondEye(adjust));
    const EyeBlock block = PlaceOverView(second, frame, SecondShift(adjust.dist), adjust.vertical);
    MixAnaglyph(matrix, second, block.rows, block.cols, frame.viewWidth(), frame.view());
}

void ComposeHalves(const EyePair& pair, const StereoAdjustments& adjust, EyeLayout layout, bool squeezed,
                   FrameBuffer& frame)
{
    frame.Clear();
    const EyeAreas areas = AreasOf(layout, frame.viewWidth(), frame.height());
    const Picture first = EyeOf(pair, FirstEye(adjust));
    if (!first)
        return;
    PlaceInHalf(first, areas.first, FirstShift(adjust.dist), 0, layout, squeezed, frame);
    PlaceInHalf(EyeOf(pair, SecondEye(adjust)), areas.second, SecondShift(adjust.dist),
                adjust.vertical, layout, squeezed, frame);
}

void ComposeAlternate(const EyePair& pair, const StereoAdjustments& adjust, int64_t left, int64_t top, bool checkerboard,
                      FrameBuffer& frame)
{
    if (!FirstOverView(pair, adjust, frame))
        return;
    const Picture second = EyeOf(pair, SecondEye(adjust));
    const EyeBlock block = PlaceOverView(second, frame, SecondShift(adjust.dist), adjust.vertical);
    // Frame row 0 is the view's bottom row, screen row top + height − 1; the
    // second eye takes the columns where x (+ y) is odd.
    const int64_t bottom = checkerboard ? top + frame.height() - 1 : 0;
    TakeAlternatePixels(second, block.rows, block.cols, frame.viewWidth(), int((left + bottom + 1) & 1), checkerboard,
                        frame.view());
}

void ComposeMono(const EyePair& pair, const StereoAdjustments& adjust, bool second, FrameBuffer& frame)
{
    if (second)
        AloneOverView(EyeOf(pair, SecondEye(adjust)), SecondShift(adjust.dist), adjust.vertical,
                      frame);
    else
        FirstOverView(pair, adjust, frame);
}

}  // namespace plexo
