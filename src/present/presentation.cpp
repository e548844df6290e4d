#include "present/presentation.h"

#include <iterator>

#include "present/compositor.h"
#include "present/stereo_compositors.h"

namespace plexo {

namespace {

void Plain(const EyePair& pair, const ComposeContext&, FrameBuffer& frame) { ComposePlain(pair, frame); }

// The stereo compositors fill one channel or every other row a picture, so
// they start from black.
void RedBlue(const EyePair& pair, const ComposeContext& context, FrameBuffer& frame)
{
    frame.Clear();
    ComposeRedBlue(pair, context.adjust, frame);
}

void Interlaced(const EyePair& pair, const ComposeContext& context, FrameBuffer& frame)
{
    frame.Clear();
    ComposeInterlaced(pair, context.adjust, context.view.top, frame);
}

template <const AnaglyphMatrix& kMatrix>
void Anaglyph(const EyePair& pair, const ComposeContext& context, FrameBuffer& frame)
{
    ComposeAnaglyph(pair, context.adjust, kMatrix, frame);
}

template <EyeLayout kLayout, bool kSqueezed>
void Halves(const EyePair& pair, const ComposeContext& context, FrameBuffer& frame)
{
    ComposeHalves(pair, context.adjust, kLayout, kSqueezed, frame);
}

template <bool kCheckerboard>
void Alternate(const EyePair& pair, const ComposeContext& context, FrameBuffer& frame)
{
    ComposeAlternate(pair, context.adjust, context.view.left, context.view.top, kCheckerboard, frame);
}

template <bool kSecond>
void Mono(const EyePair& pair, const ComposeContext& context, FrameBuffer& frame)
{
    ComposeMono(pair, context.adjust, kSecond, frame);
}

template <const FramePacking& kPacking>
void Packed(const EyePair& pair, const ComposeContext& context, FrameBuffer& frame)
{
    ComposeFramePacked(pair, context.adjust, kPacking, frame);
}

constexpr auto kSideBySide = EyeLayout::SideBySide;
constexpr auto kTopBottom = EyeLayout::TopBottom;
constexpr auto kColour = Tone::Colour;

// In the table's order of ids.
constexpr Presentation kPresentations[] = {
    {PresentationId::Plain, "plain", "plain", -1, false, false, kColour, false, Plain},
    {PresentationId::RedBlue, "red-blue", "red-blue", 1, false, false, Tone::Grey, false, RedBlue},
    {PresentationId::Interlaced, "interlaced", "interlaced", 2, true, true, kColour, false, Interlaced},
    // Without a flipper at hand the eyes cannot alternate, and the view shows
    // the plain picture.
    {PresentationId::PageFlip, "page-flip", "page flipping", 0, true, false, kColour, true, Plain},
    {PresentationId::DuboisRedCyan, "dubois-red-cyan", "Dubois red-cyan", -1, false, false, kColour, false,
     Anaglyph<kDuboisRedCyan>},
    {PresentationId::DuboisGreenMagenta, "dubois-green-magenta", "Dubois green-magenta", -1, false, false, kColour,
     false, Anaglyph<kDuboisGreenMagenta>},
    {PresentationId::DuboisAmberBlue, "dubois-amber-blue", "Dubois amber-blue", -1, false, false, kColour, false,
     Anaglyph<kDuboisAmberBlue>},
    {PresentationId::ColourRedCyan, "colour-red-cyan", "colour red-cyan", -1, false, false, kColour, false,
     Anaglyph<kColourRedCyan>},
    {PresentationId::HalfColourRedCyan, "half-colour-red-cyan", "half-colour red-cyan", -1, false, false, kColour,
     false, Anaglyph<kHalfColourRedCyan>},
    {PresentationId::GreyRedCyan, "grey-red-cyan", "grey red-cyan", -1, false, false, kColour, false,
     Anaglyph<kGreyRedCyan>},
    {PresentationId::SideBySide, "side-by-side", "side by side", -1, false, false, kColour, false,
     Halves<kSideBySide, false>, 2, 1},
    {PresentationId::TopBottom, "top-bottom", "top-bottom", -1, false, false, kColour, false,
     Halves<kTopBottom, false>, 1, 2},
    {PresentationId::SideBySideHalf, "side-by-side-half", "side by side, half width", -1, false, false, kColour,
     false, Halves<kSideBySide, true>, 1, 1, true},
    {PresentationId::TopBottomHalf, "top-bottom-half", "top-bottom, half height", -1, false, false, kColour, false,
     Halves<kTopBottom, true>, 1, 1, true},
    {PresentationId::Columns, "columns", "columns", -1, true, true, kColour, false, Alternate<false>},
    {PresentationId::Checkerboard, "checkerboard", "checkerboard", -1, true, true, kColour, false, Alternate<true>},
    {PresentationId::MonoFirst, "mono-first", "first eye alone", -1, false, false, kColour, false, Mono<false>},
    {PresentationId::MonoSecond, "mono-second", "second eye alone", -1, false, false, kColour, false, Mono<true>},
    {PresentationId::FramePacking1080, "frame-packing-1080", "HDMI frame packing, 1080p", -1, true, false, kColour,
     false, Packed<kFramePacking1080>, 1, 1, false, &kFramePacking1080},
    {PresentationId::FramePacking720, "frame-packing-720", "HDMI frame packing, 720p", -1, true, false, kColour,
     false, Packed<kFramePacking720>, 1, 1, false, &kFramePacking720},
};

constexpr bool InOrderOfIds()
{
    for (size_t i = 0; i < std::size(kPresentations); ++i)
        if (size_t(kPresentations[i].id) != i)
            return false;
    return true;
}
static_assert(InOrderOfIds());

}  // namespace

PixelSize NaturalSize(const Presentation& presentation, int64_t eyeWidth, int64_t eyeHeight)
{
    if (const FramePacking* packing = presentation.packing)
        return {packing->width(), packing->height()};
    return {eyeWidth * presentation.across, eyeHeight * presentation.down};
}

std::span<const Presentation> Presentations() { return kPresentations; }

const Presentation& PresentationOf(PresentationId id) { return kPresentations[size_t(id)]; }

const Presentation* PresentationNamed(std::string_view name)
{
    for (const Presentation& p : kPresentations)
        if (name == p.name)
            return &p;
    return nullptr;
}

const Presentation& StoredPresentation(int32_t value)
{
    for (const Presentation& p : kPresentations)
        if (p.stored > 0 && p.stored == value)
            return p;
    return PresentationOf(PresentationId::PageFlip);
}

Picture ComposedAsIs(const EyePair* pair, const ComposeContext& context, const Presentation& shown)
{
    if (!pair || shown.compose != Plain)
        return {};
    const Picture colour = EyeOf(*pair, Eye::Current);
    const ViewRect& view = context.view;
    if (!colour || colour.bytesPerPixel != 3 || int64_t(view.right) - view.left != colour.width ||
        int64_t(view.bottom) - view.top != colour.height)
        return {};
    return colour;
}

const Presentation& ShownPresentation(bool stereo, PresentationId chosen)
{
    return PresentationOf(stereo ? chosen : PresentationId::Plain);
}

}  // namespace plexo
