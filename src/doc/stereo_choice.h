#pragma once
// How the document's film is presented while stereo is on: the presentation
// chosen and the adjustments on top of it.

#include <cstdint>
#include <string_view>

#include "present/adjustments.h"
#include "present/presentation.h"

namespace plexo {

// The most pixels D or the vertical alignment moves an eye, either way.
inline constexpr int32_t kMaxAdjustment = 10000;

struct StereoChoice {
    // Plain is stereo off, never the choice.
    PresentationId presentation = PresentationId::RedBlue;
    StereoAdjustments adjust;
};

// The presentation a run starts with: the one the "View" section's
// "Presentation" names when it names a stereo one, else the one the
// "Settings" section's "Red-Blue" keeps.
inline PresentationId StartupPresentation(int32_t redBlue, std::string_view name)
{
    const Presentation* named = PresentationNamed(name);
    return named && named->id != PresentationId::Plain ? named->id : StoredPresentation(redBlue).id;
}

}  // namespace plexo
