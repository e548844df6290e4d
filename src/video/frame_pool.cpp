#include "video/frame_pool.h"

#include <algorithm>

namespace plexo::video {

PictureBuffer FramePool::Take(int width, int height, int bytesPerPixel)
{
    {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(free_.begin(), free_.end(), [&](const PictureBuffer& b) {
            return b.width == width && b.height == height && b.bytesPerPixel == bytesPerPixel;
        });
        if (found != free_.end()) {
            PictureBuffer buffer = std::move(*found);
            free_.erase(found);
            return buffer;
        }
    }
    return PictureBuffer::allocate(width, height, bytesPerPixel);
}

void FramePool::Give(PictureBuffer buffer)
{
    if (!buffer)
        return;
    std::lock_guard lock(mutex_);
    // The newest spares stay: a change of size leaves the old ones to go.
    if (free_.size() >= spare_ && !free_.empty())
        free_.erase(free_.begin());
    if (spare_ > 0)
        free_.push_back(std::move(buffer));
}

}  // namespace plexo::video
