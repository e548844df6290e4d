#include "film/frame_cursor.h"

#include <algorithm>
#include <cstdlib>

namespace plexo {

size_t FrameCursor::PartnerOf(size_t position, size_t count) const
{
    const int64_t n = int64_t(count);
    return size_t(((int64_t(position) + shift) % n + n) % n);
}

bool FrameCursor::Seek(int32_t position, size_t count)
{
    if (count == 0)
        return false;
    current = size_t(std::clamp<int64_t>(position, 0, int64_t(count) - 1));
    return true;
}

// Without round, a step towards the partner is allowed only while the partner
// of the new frame exists without wrapping; a step away from it only stops at
// the end. The asymmetry is intended. So a run of steps in one direction ends
// at a fixed frame, and making them at once is plain arithmetic.
int32_t FrameCursor::Skip(int32_t steps, size_t frames)
{
    const int64_t count = int64_t(frames);
    if (count == 0 || steps == 0)
        return 0;
    const int64_t asked = std::abs(int64_t(steps));
    const bool forward = (steps > 0) != invert;
    const int64_t cur = int64_t(current);
    int64_t made = asked;
    if (round) {
        const int64_t moved = forward ? cur + asked % count : cur - asked % count;
        current = size_t((moved + count) % count);
    } else {
        const int64_t room = forward ? count - 1 - std::max<int64_t>(shift, 0) - cur
                                     : cur - std::max<int64_t>(-int64_t(shift), 0);
        made = std::clamp<int64_t>(room, 0, asked);
        current = size_t(forward ? cur + made : cur - made);
    }
    return int32_t(std::min<int64_t>(made, INT32_MAX));
}

}  // namespace plexo
