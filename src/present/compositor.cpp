#include "present/compositor.h"

#include <cmath>

#include "present/frame_copy.h"
#include "present/placement.h"

namespace plexo {

namespace {

constexpr int kBlue = 0;
constexpr int kRed = 2;

void PlaceGrey(const Picture& grey, int64_t shift, int64_t up, int channel, FrameBuffer& frame)
{
    CopyGreyToChannel(grey, RaisedSpan(grey.height, frame.height(), up),
                      DisplacedSpan(grey.width, frame.width(), shift), channel, frame.view());
}

// Every other row of the picture, from relative row `first` of its centred
// band on. A picture moved up or down keeps the frame rows it has unmoved,
// so that each eye keeps its screen lines.
void PlaceAlternateRows(const Picture& colour, int64_t shift, int64_t up, int64_t first, FrameBuffer& frame)
{
    const Span centred = CentredSpan(colour.height, frame.height());
    const Span rows = RaisedSpan(colour.height, frame.height(), up);
    const int firstRow = int((centred.dst + first - rows.dst) & 1);
    CopyColourRows(colour, rows, DisplacedSpan(colour.width, frame.width(), shift), firstRow, 2, frame.view());
}

}  // namespace

// Centred in the visible width rather than the padded one, so that a picture
// exactly as wide as the view fills it instead of losing its last column to
// the clipped padding.
// Only what the picture leaves uncovered is cleared: a picture that fills
// the view costs one copy of its bytes.
void ComposePlain(const EyePair& pair, FrameBuffer& frame)
{
    const Picture colour = EyeOf(pair, Eye::Current);
    const Span rows = CentredSpan(colour.height, frame.height());
    const Span cols = CentredSpan(colour.width, frame.viewWidth());
    frame.ClearOutside(rows, cols);
    if (!CopyColourRows(colour, rows, cols, 0, 1, frame.view()))
        frame.Clear();
}

void ComposeRedBlue(const EyePair& pair, const StereoAdjustments& adjust, FrameBuffer& frame)
{
    const Picture first = EyeOf(pair, FirstEye(adjust));
    if (!first)
        return;
    PlaceGrey(first, FirstShift(adjust.dist), 0, kRed, frame);
    PlaceGrey(EyeOf(pair, SecondEye(adjust)), SecondShift(adjust.dist), adjust.vertical, kBlue,
              frame);
}

// The placements follow the rows, the vertical alignment follows the eye:
// the second eye is moved whichever rows it takes.
void ComposeInterlaced(const EyePair& pair, const StereoAdjustments& adjust, int32_t top, FrameBuffer& frame)
{
    // The eyes keep their screen lines when the window moves by one row.
    const bool odd = top % 2 != 0;
    const Eye evenEye = odd ? FirstEye(adjust) : SecondEye(adjust);
    const Eye oddEye = odd ? SecondEye(adjust) : FirstEye(adjust);
    const auto up = [&](Eye eye) { return eye == SecondEye(adjust) ? adjust.vertical : 0; };
    const Picture even = EyeOf(pair, evenEye);
    if (!even)
        return;
    PlaceAlternateRows(even, FirstShift(adjust.dist), up(evenEye), 0, frame);
    PlaceAlternateRows(EyeOf(pair, oddEye), SecondShift(adjust.dist), up(oddEye), 1, frame);
}

bool ComposeFrame(const EyePair* pair, const ComposeContext& context, const Presentation& shown, FrameBuffer& frame)
{
    const ViewRect& view = context.view;
    const int64_t width = int64_t(view.right) - view.left;
    const int64_t height = int64_t(view.bottom) - view.top;
    if (!frame.Prepare(width, height))
        return false;
    if (!pair) {
        frame.Clear();
        return true;
    }
    if (!MadeSmaller(*pair)) {
        shown.compose(*pair, context, frame);
        return true;
    }
    // D and the vertical move are the film's pixels: the pictures made
    // smaller move by as much of them.
    ComposeContext scaled = context;
    scaled.adjust.dist = int32_t(std::lround(double(context.adjust.dist) * pair->first.width / pair->ownWidth));
    scaled.adjust.vertical =
        int32_t(std::lround(double(context.adjust.vertical) * pair->first.height / pair->ownHeight));
    shown.compose(*pair, scaled, frame);
    return true;
}

bool ComposeFrame(Film* film, const StereoAdjustments& adjust, const ViewRect& view, const Presentation& shown,
                  FrameBuffer& frame)
{
    const EyePairPtr pair = film ? film->Pair(shown.tone) : nullptr;
    return ComposeFrame(pair.get(), {adjust, view}, shown, frame);
}

}  // namespace plexo
