#pragma once
// The cursor of a film over one source and the stepping rules of round, shift
// and invert, for every film whose frames sit at indexes 0 to count − 1: the
// single-source films and the two-view films.

#include <cstddef>
#include <cstdint>

namespace plexo {

struct FrameCursor {
    size_t current = 0;
    int32_t shift = 0;
    bool round = false;
    bool invert = false;

    // The index `shift` frames from the current one; walking that far with
    // wrap-round at both ends lands there, however many times the walk goes
    // round. Only for count > 0.
    size_t Partner(size_t count) const { return PartnerOf(current, count); }
    // The partner the frame at `position` has by the same rules.
    size_t PartnerOf(size_t position, size_t count) const;
    // As Film::Seek and Film::Skip over `count` frames.
    bool Seek(int32_t position, size_t count);
    int32_t Skip(int32_t steps, size_t count);
};

}  // namespace plexo
