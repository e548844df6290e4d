#include "present/frame_packing.h"

#include <algorithm>

#include "present/display_modes.h"
#include "present/eye_areas.h"
#include "present/eye_scale.h"
#include "present/placement.h"

namespace plexo {

namespace {

// The eye scaled into its area, centred there, moved `shift` columns right
// and `up` rows up, and cut to the area and the frame.
void PlaceScaled(const Picture& colour, const EyeArea& area, int64_t shift, int64_t up, FrameBuffer& frame)
{
    if (!colour)
        return;
    const ScaledSize size = FitInside(colour.width, colour.height, area.width, area.height);
    const int64_t x = area.x + (area.width - size.width) / 2 + shift;
    const int64_t y = area.y + (area.height - size.height) / 2 + up;
    const int64_t left = std::max({x, area.x, int64_t(0)});
    const int64_t right = std::min({x + size.width, area.x + area.width, int64_t(frame.viewWidth())});
    const int64_t bottom = std::max({y, area.y, int64_t(0)});
    const int64_t top = std::min({y + size.height, area.y + area.height, int64_t(frame.height())});
    if (right <= left || top <= bottom)
        return;
    const Span rows{bottom - y, bottom, top - bottom};
    const Span cols{left - x, left, right - left};
    ScaleColourBlock(colour, size.width, size.height, rows, cols, frame.view());
}

std::string SizeText(const FramePacking& packing)
{
    return std::to_string(packing.width()) + " by " + std::to_string(packing.height()) + " pixels";
}

}  // namespace

void ComposeFramePacked(const EyePair& pair, const StereoAdjustments& adjust, const FramePacking& packing,
                        FrameBuffer& frame)
{
    frame.Clear();
    const Picture first = EyeOf(pair, FirstEye(adjust));
    if (!first)
        return;
    const int64_t left = (int64_t(frame.viewWidth()) - packing.width()) / 2;
    const int64_t bottom = (int64_t(frame.height()) - packing.height()) / 2;
    const EyeArea upper{left, bottom + packing.eyeHeight + packing.blank, packing.eyeWidth, packing.eyeHeight};
    const EyeArea lower{left, bottom, packing.eyeWidth, packing.eyeHeight};
    PlaceScaled(first, upper, FirstShift(adjust.dist), 0, frame);
    PlaceScaled(EyeOf(pair, SecondEye(adjust)), lower, SecondShift(adjust.dist), adjust.vertical, frame);
}

PackingCheck CheckPackedMode(const FramePacking& packing, const std::vector<platform::DisplayMode>& modes,
                             const std::optional<platform::DisplayMode>& current, const std::string& output)
{
    const auto fits = [&](const platform::DisplayMode& mode) {
        return mode.width == packing.width() && mode.height == packing.height();
    };
    if (current && fits(*current))
        return {true, {}};
    const DisplayModeList listed(modes);
    for (const Item4i& item : listed.items())
        if (fits(item.mode))
            return {false, "Frame packing shows on a screen of " + SizeText(packing) + ". Choose \"" +
                               ModeLabel(item.mode) + "\" in the Screen dialog first."};
    const std::string name = output.empty() ? "OUTPUT" : output;
    return {false, "Frame packing shows on a screen of " + SizeText(packing) +
                       ", and the screen has no such mode. Add the HDMI 1.4a frame-packed mode with\n"
                       "xrandr --newmode " +
                       packing.modeName + " " + packing.modeTimings + "\nxrandr --addmode " + name + " " +
                       packing.modeName + "\nthen choose it in the Screen dialog."};
}

}  // namespace plexo
