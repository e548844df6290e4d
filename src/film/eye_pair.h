#pragma once
// One moment of a film as the presentations take it: the two eyes' pictures
// with the frame they belong to, owned together. A pair stays valid for as
// long as anyone holds it, on any thread, whatever the film does meanwhile:
// a compositor on the window's thread, a page-flip output or an export
// worker can each keep the pair they were handed.

#include <cstdint>
#include <memory>

#include "image/picture.h"

namespace plexo {

struct EyePair {
    // The current frame's picture (a two-view film's first eye) and its
    // partner's (the second eye); either may be empty (no picture: black).
    Picture first;
    Picture second;
    // The film's numbers of the two frames, -1 when it cannot tell.
    int32_t frameNumber = -1;
    int32_t partnerNumber = -1;
    // The first eye's time in the film in microseconds, -1 for a film that
    // keeps no times (a frame film).
    int64_t timestampUs = -1;
    // The size of the first eye as the film holds it, when its pictures
    // were made smaller to be shown (film/picture_scale.h); 0 x 0: the
    // pictures are at their own size.
    int32_t ownWidth = 0;
    int32_t ownHeight = 0;
    // Keeps the bytes of both pictures alive.
    std::shared_ptr<const void> owner;
};

using EyePairPtr = std::shared_ptr<const EyePair>;

// True when the pair's pictures were made smaller than the film holds them.
inline bool MadeSmaller(const EyePair& pair)
{
    return pair.ownWidth > 0 && pair.first && (pair.ownWidth != pair.first.width || pair.ownHeight != pair.first.height);
}

// A pair that owns copies of the two pictures, packed bottom row first.
// Null when memory cannot be had.
EyePairPtr CopiedPair(const Picture& first, const Picture& second, int32_t frameNumber, int32_t partnerNumber,
                      int64_t timestampUs);

}  // namespace plexo
