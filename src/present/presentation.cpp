#include "present/presentation.h"

#include <iterator>

#include "present/compositor.h"

namespace plexo {

namespace {

void Plain(Film& film, const ComposeContext&, FrameBuffer& frame) { ComposePlain(film, frame); }

// The stereo compositors fill one channel or every other row a picture, so
// they start from black.
void RedBlue(Film& film, const ComposeContext& context, FrameBuffer& frame)
{
    frame.Clear();
    ComposeRedBlue(film, context.adjust, frame);
}

void Interlaced(Film& film, const ComposeContext& context, FrameBuffer& frame)
{
    frame.Clear();
    ComposeInterlaced(film, context.adjust, context.view.top, frame);
}

// In the table's order of ids.
constexpr Presentation kPresentations[] = {
    {PresentationId::Plain, "plain", "plain", -1, false, false, Tone::Colour, false, Plain},
    {PresentationId::RedBlue, "red-blue", "red-blue", 1, false, false, Tone::Grey, false, RedBlue},
    {PresentationId::Interlaced, "interlaced", "interlaced", 2, true, true, Tone::Colour, false, Interlaced},
    // Without a flipper at hand the eyes cannot alternate, and the view shows
    // the plain picture.
    {PresentationId::PageFlip, "page-flip", "page flipping", 0, true, false, Tone::Colour, true, Plain},
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

const Presentation& ShownPresentation(bool stereo, PresentationId chosen)
{
    return PresentationOf(stereo ? chosen : PresentationId::Plain);
}

}  // namespace plexo
