#pragma once
// Converted frames kept by their index, at most a budget of bytes. When the
// budget is full, the frames farthest from the span the viewer is about to
// show go first, so memory follows the frames kept, not the film's length.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>

#include "video/video_picture.h"

namespace plexo::video {

class FrameCache {
public:
    explicit FrameCache(size_t budgetBytes) : budget_(budgetBytes) {}

    SharedPicture Find(int64_t index) const;
    bool Has(int64_t index) const { return frames_.count(index) != 0; }
    // The newest index kept from `from` to `to` for which `also` holds; -1
    // when none.
    int64_t NewestIn(int64_t from, int64_t to, const std::function<bool(int64_t)>& also) const;
    // Keeps the frame unless every frame kept lies nearer the span from
    // `low` to `high` than it does and the budget has no room for it. The
    // frame of the span's start is always kept. False when not kept.
    bool Keep(int64_t index, SharedPicture frame, int64_t low, int64_t high);
    // The frame at `index` goes, if kept.
    void Drop(int64_t index);
    // Frames at `count` and after go.
    void DropFrom(int64_t count);
    // The frames outside `low` to `high` go, but for the `behind` nearest
    // the span on its side away from `direction` (1: later frames, -1:
    // earlier ones) and those `spared` names.
    void KeepAround(int64_t low, int64_t high, int direction, size_t behind,
                    const std::function<bool(int64_t)>& spared);
    size_t Bytes() const { return bytes_; }
    size_t Budget() const { return budget_; }

private:
    size_t budget_;
    size_t bytes_ = 0;
    std::map<int64_t, SharedPicture> frames_;
};

}  // namespace plexo::video
