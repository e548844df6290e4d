#include "present/compositor.h"

#include "present/frame_copy.h"
#include "present/placement.h"

namespace plexo {

namespace {

constexpr int kBlue = 0;
constexpr int kRed = 2;

void PlaceGrey(const Picture& grey, int64_t shift, int channel, FrameBuffer& frame)
{
    CopyGreyToChannel(grey, CentredSpan(grey.height, frame.height()),
                      DisplacedSpan(grey.width, frame.width(), shift), channel, frame.view());
}

void PlaceAlternateRows(const Picture& colour, int64_t shift, int firstRow, FrameBuffer& frame)
{
    CopyColourRows(colour, CentredSpan(colour.height, frame.height()),
                   DisplacedSpan(colour.width, frame.width(), shift), firstRow, 2, frame.view());
}

}  // namespace

// Centred in the visible width rather than the padded one, so that a picture
// exactly as wide as the view fills it instead of losing its last column to
// the clipped padding.
// Only what the picture leaves uncovered is cleared: a picture that fills
// the view costs one copy of its bytes.
void ComposePlain(Film& film, FrameBuffer& frame)
{
    const Picture colour = FilmPicture(film, Eye::Current, Tone::Colour);
    const Span rows = CentredSpan(colour.height, frame.height());
    const Span cols = CentredSpan(colour.width, frame.viewWidth());
    frame.ClearOutside(rows, cols);
    if (!CopyColourRows(colour, rows, cols, 0, 1, frame.view()))
        frame.Clear();
}

void ComposeRedBlue(Film& film, int32_t dist, FrameBuffer& frame)
{
    // Each picture is used up before the next request, which may reuse its
    // bytes (a two-film pair composes both into one buffer).
    const Picture first = FilmPicture(film, Eye::Current, Tone::Grey);
    if (!first)
        return;
    PlaceGrey(first, FirstShift(dist), kRed, frame);
    PlaceGrey(FilmPicture(film, Eye::Partner, Tone::Grey), SecondShift(dist), kBlue, frame);
}

void ComposeInterlaced(Film& film, int32_t dist, int32_t top, FrameBuffer& frame)
{
    // The eyes keep their screen lines when the window moves by one row.
    const bool odd = top % 2 != 0;
    const Picture even = FilmPicture(film, odd ? Eye::Current : Eye::Partner, Tone::Colour);
    if (!even)
        return;
    PlaceAlternateRows(even, FirstShift(dist), 0, frame);
    PlaceAlternateRows(FilmPicture(film, odd ? Eye::Partner : Eye::Current, Tone::Colour), SecondShift(dist),
                       1, frame);
}

bool ComposeFrame(Film* film, const StereoAdjustments& adjust, const ViewRect& view, const Presentation& shown,
                  FrameBuffer& frame)
{
    const int64_t width = int64_t(view.right) - view.left;
    const int64_t height = int64_t(view.bottom) - view.top;
    if (!frame.Prepare(width, height))
        return false;
    if (!film) {
        frame.Clear();
        return true;
    }
    shown.compose(*film, {adjust, view}, frame);
    return true;
}

}  // namespace plexo
