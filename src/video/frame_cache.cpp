#include "video/frame_cache.h"

namespace plexo::video {

namespace {

int64_t Distance(int64_t index, int64_t low, int64_t high)
{
    return index < low ? low - index : index > high ? index - high : 0;
}

}  // namespace

SharedPicture FrameCache::Find(int64_t index) const
{
    const auto found = frames_.find(index);
    return found == frames_.end() ? nullptr : found->second;
}

int64_t FrameCache::NewestIn(int64_t from, int64_t to, const std::function<bool(int64_t)>& also) const
{
    for (auto at = frames_.upper_bound(to); at != frames_.begin();) {
        --at;
        if (at->first < from)
            break;
        if (also(at->first))
            return at->first;
    }
    return -1;
}

bool FrameCache::Keep(int64_t index, SharedPicture frame, int64_t low, int64_t high)
{
    if (!frame)
        return false;
    if (Has(index))
        return true;
    const size_t bytes = frame->Bytes();
    const int64_t distance = Distance(index, low, high);
    while (bytes_ + bytes > budget_ && !frames_.empty()) {
        // The farthest of the two ends, nearer ends kept.
        auto farthest = frames_.begin();
        if (Distance(std::prev(frames_.end())->first, low, high) > Distance(farthest->first, low, high))
            farthest = std::prev(frames_.end());
        if (index != low && Distance(farthest->first, low, high) <= distance)
            return false;
        bytes_ -= farthest->second->Bytes();
        frames_.erase(farthest);
    }
    bytes_ += bytes;
    frames_.emplace(index, std::move(frame));
    return true;
}

void FrameCache::Drop(int64_t index)
{
    if (const auto at = frames_.find(index); at != frames_.end()) {
        bytes_ -= at->second->Bytes();
        frames_.erase(at);
    }
}

void FrameCache::DropFrom(int64_t count)
{
    for (auto at = frames_.lower_bound(count); at != frames_.end();) {
        bytes_ -= at->second->Bytes();
        at = frames_.erase(at);
    }
}

void FrameCache::KeepAround(int64_t low, int64_t high, int direction, size_t behind,
                            const std::function<bool(int64_t)>& spared)
{
    // Nearest the span first on the side behind it.
    size_t passed = 0;
    const auto keeps = [&](int64_t index, bool isBehind) {
        return spared(index) || (isBehind && passed++ < behind);
    };
    const auto drop = [&](auto at) {
        bytes_ -= at->second->Bytes();
        return frames_.erase(at);
    };
    if (direction > 0) {
        for (auto at = frames_.upper_bound(high); at != frames_.end();)
            at = keeps(at->first, false) ? std::next(at) : drop(at);
        for (auto at = std::make_reverse_iterator(frames_.lower_bound(low)); at != frames_.rend();)
            at = keeps(at->first, true) ? std::next(at) : std::make_reverse_iterator(drop(std::prev(at.base())));
    } else {
        for (auto at = frames_.begin(); at != frames_.end() && at->first < low;)
            at = keeps(at->first, false) ? std::next(at) : drop(at);
        for (auto at = frames_.upper_bound(high); at != frames_.end();)
            at = keeps(at->first, true) ? std::next(at) : drop(at);
    }
}

}  // namespace plexo::video
