#pragma once
// HDMI 1.4a frame packing: both eyes in one tall frame, the first (left) eye
// on top, a blank band, then the second, each eye scaled to the format's eye
// size keeping its aspect (black bars within the eye). A 3D television takes
// the frame as one mode of that size, so the frame is shown full screen only,
// on an output whose mode has exactly that size.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "film/film.h"
#include "platform/display.h"
#include "present/adjustments.h"
#include "present/frame_buffer.h"

namespace plexo {

struct FramePacking {
    int32_t eyeWidth;
    int32_t eyeHeight;
    int32_t blank;
    // The frame-packed mode's name and timings for `xrandr --newmode`.
    const char* modeName;
    const char* modeTimings;

    int32_t width() const { return eyeWidth; }
    int32_t height() const { return 2 * eyeHeight + blank; }
};

// 1080p24 and 720p60 frame packed: 1920x2205 with 45 blank lines, 1280x1470
// with 30, at the HDMI 1.4a timings (148.5 MHz both).
inline constexpr FramePacking kFramePacking1080{1920, 1080, 45, "1920x2205_24",
                                               "148.50 1920 2558 2602 2750 2205 2209 2214 2250 +hsync +vsync"};
inline constexpr FramePacking kFramePacking720{1280, 720, 30, "1280x1470_60",
                                              "148.50 1280 1390 1430 1650 1470 1475 1480 1500 +hsync +vsync"};

// The packed frame centred in the view (a view of the frame's size holds it
// exactly): the first eye in the top eye area, the second in the bottom one,
// each scaled into its area and placed there as the stereo compositors place
// an eye (D, the vertical alignment), cut to the area. The band and the bars
// are black. A first eye that cannot be had gives a black frame.
void ComposeFramePacked(const EyePair& pair, const StereoAdjustments& adjust, const FramePacking& packing,
                        FrameBuffer& frame);

// Whether the output can show the packed frame: its current mode has the
// frame's size. When it cannot, `advice` says what to do: choose the listed
// mode of that size in the Screen dialog, or, with none listed, add one with
// xrandr (`output` names the output in the commands; empty: OUTPUT).
struct PackingCheck {
    bool ready = false;
    std::string advice;
};
PackingCheck CheckPackedMode(const FramePacking& packing, const std::vector<platform::DisplayMode>& modes,
                             const std::optional<platform::DisplayMode>& current, const std::string& output);

}  // namespace plexo
