#include "present/flip_pair.h"

#include "present/dd_flipper.h"
#include "present/frame_copy.h"
#include "present/placement.h"

namespace plexo {

namespace {

void Place(const Picture& colour, int64_t shift, int64_t up, FrameBuffer& section)
{
    CopyColourRows(colour, RaisedSpan(colour.height, section.height(), up),
                   DisplacedSpan(colour.width, section.width(), shift), 0, 1, section.view());
}

}  // namespace

platform::BitmapInfoHeader FlipSections::header() const
{
    platform::BitmapInfoHeader h;
    h.width = first.width();
    h.height = first.height();
    return h;
}

bool ComposeFlipSections(const EyePair& pair, const StereoAdjustments& adjust, const ViewRect& view,
                         FlipSections& sections)
{
    sections.rect = view;
    const Picture first = EyeOf(pair, FirstEye(adjust));
    const int64_t width = int64_t(view.right) - view.left;
    const int64_t height = int64_t(view.bottom) - view.top;
    if (first && first.width < width && first.height < height) {
        const int32_t dx = int32_t((width - first.width) / 2);
        const int32_t dy = int32_t((height - first.height) / 2);
        sections.rect = {view.left + dx, view.top + dy, view.right - dx, view.bottom - dy};
    }
    const int64_t w = int64_t(sections.rect.right) - sections.rect.left;
    const int64_t h = int64_t(sections.rect.bottom) - sections.rect.top;
    if (!sections.first.Prepare(w, h) || !sections.second.Prepare(w, h)) {
        sections.first.Prepare(0, 0);
        sections.second.Prepare(0, 0);
        return false;
    }
    sections.first.Clear();
    sections.second.Clear();
    if (!first)
        return true;
    Place(first, FirstShift(adjust.dist), 0, sections.first);
    Place(EyeOf(pair, SecondEye(adjust)), SecondShift(adjust.dist), adjust.vertical,
          sections.second);
    return true;
}

void ComposeFlipPair(const ViewRect& view, const EyePair& pair, const StereoAdjustments& adjust, DDFlipper& flipper,
                    FlipSections& sections)
{
    if (ComposeFlipSections(pair, adjust, view, sections) && sections.first.height() > 0)
        flipper.ShowPair(sections.rect, sections.header(), sections.first.bytes(), sections.second.bytes());
}

}  // namespace plexo
