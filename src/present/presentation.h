#pragma once
// Every way the viewer presents a frame, one descriptor each in one table:
// its names, how the settings file stores it, what it asks of the film and
// the screen, and its compositor. The view, the main frame, the Settings
// dialog, the frame display and plexo-tool ask the table; none of them names
// a presentation by number.

#include <cstdint>
#include <span>
#include <string_view>

#include "film/film.h"
#include "present/adjustments.h"
#include "present/frame_buffer.h"
#include "present/frame_packing.h"

namespace plexo {

// The view's client rectangle in screen coordinates; right and bottom are
// exclusive.
struct ViewRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

enum class PresentationId {
    Plain,
    RedBlue,
    Interlaced,
    PageFlip,
    DuboisRedCyan,
    DuboisGreenMagenta,
    DuboisAmberBlue,
    ColourRedCyan,
    HalfColourRedCyan,
    GreyRedCyan,
    SideBySide,
    TopBottom,
    SideBySideHalf,
    TopBottomHalf,
    Columns,
    Checkerboard,
    MonoFirst,
    MonoSecond,
    FramePacking1080,
    FramePacking720,
};

// What a compositor is given beside the pair of eyes and the frame.
struct ComposeContext {
    // Swap, the displacement D and the vertical alignment.
    StereoAdjustments adjust;
    // Where the view lies on the screen: its rows decide the interlace parity,
    // its columns and rows those of columns and the checkerboard.
    ViewRect view;
};

struct Presentation {
    PresentationId id;
    // plexo-tool's --mode.
    const char* name;
    // How the frame display names it.
    const char* label;
    // The settings file's "Red-Blue" value that keeps it as the stereo
    // presentation; -1 for plain, which is stereo off and never kept, and for
    // the presentations that value does not name.
    int32_t stored;
    // Rows that must meet the screen's rows one to one: never zoomed or fitted.
    bool oneToOne;
    // Which eye a screen row shows follows the view's place on the screen, so
    // moving the window repaints it.
    bool followsPlace;
    // The pictures it takes: a pair in this tone.
    Tone tone;
    // Its eyes go to the page flipper while one flips.
    bool flips;
    // Composes into a frame already sized, clearing what it needs to.
    void (*compose)(const EyePair& pair, const ComposeContext& context, FrameBuffer& frame);
    // Its natural size, in eyes across and down: what plexo-tool composes
    // without a view size, and what the view fits and zooms.
    int32_t across = 1;
    int32_t down = 1;
    // Fills the screen in full screen whatever the aspect (the half modes,
    // whose eyes a 3D television stretches back).
    bool stretchedInFullScreen = false;
    // HDMI frame packing: a frame of the packing's size whatever the eyes',
    // shown full screen only, on an output whose mode has that size.
    const FramePacking* packing = nullptr;
};

// A size in pixels.
struct PixelSize {
    int64_t width = 0;
    int64_t height = 0;
};

// The presentation's natural size for eyes of the given size: `across` eyes
// wide and `down` eyes high; a frame-packed one's own size.
PixelSize NaturalSize(const Presentation& presentation, int64_t eyeWidth, int64_t eyeHeight);

std::span<const Presentation> Presentations();
const Presentation& PresentationOf(PresentationId id);
// Null for a name no presentation has.
const Presentation* PresentationNamed(std::string_view name);
// The stereo presentation a "Red-Blue" value keeps: 1 red-blue, 2 interlaced,
// any other page flipping.
const Presentation& StoredPresentation(int32_t value);
// What the view shows: the chosen presentation while stereo is on, plain
// otherwise.
const Presentation& ShownPresentation(bool stereo, PresentationId chosen);
// The picture a composition of `pair` would copy whole and unmoved into its
// frame, when the frame would be nothing else: a plain composition for a view
// of the current frame's picture's size. A caller that only reads the frame
// (to put it on a screen) may read this picture instead and spare the copy;
// no picture otherwise.
Picture ComposedAsIs(const EyePair* pair, const ComposeContext& context, const Presentation& shown);

}  // namespace plexo
