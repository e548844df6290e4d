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
            freeBytes_ -= buffer.byteCount();
            return buffer;
        }
    }
    return PictureBuffer::allocate(width, height, bytesPerPixel);
}

void FramePool::Give(PictureBuffer buffer)
{
    if (!buffer)
        return;
    if (spare_ == 0)
        return;
    const size_t bytes = buffer.byteCount();
    std::lock_guard lock(mutex_);
    // The newest spares stay: a change of size leaves the old ones to go.
    while (!free_.empty() && (free_.size() >= spare_ || freeBytes_ + bytes > spareBytes_)) {
        freeBytes_ -= free_.front().byteCount();
        free_.erase(free_.begin());
    }
    freeBytes_ += bytes;
    free_.push_back(std::move(buffer));
}

}  // namespace plexo::video
