#include "present/frame_buffer.h"

#include <cstring>
#include <new>

namespace plexo {

bool FrameBuffer::Prepare(int64_t viewWidth, int64_t viewHeight)
{
    width_ = 0;
    viewWidth_ = 0;
    height_ = 0;
    if (viewWidth < 0 || viewHeight < 0 || viewWidth > kMaxBytes || viewHeight > kMaxBytes)
        return false;
    const int64_t paddedWidth = PaddedWidth(viewWidth);
    // Both factors are below 2^31 here, so the product cannot overflow.
    if (paddedWidth * 3 > kMaxBytes || paddedWidth * 3 * viewHeight > kMaxBytes)
        return false;
    const size_t count = size_t(paddedWidth) * 3 * size_t(viewHeight);
    if (count > capacity_) {
        bytes_.reset();
        capacity_ = 0;
        bytes_.reset(new (std::nothrow) uint8_t[count]);
        if (!bytes_)
            return false;
        capacity_ = count;
    }
    width_ = int(paddedWidth);
    viewWidth_ = int(viewWidth);
    height_ = int(viewHeight);
    if (count > 0)
        std::memset(bytes_.get(), 0, count);
    return true;
}

Picture FrameBuffer::picture() const
{
    if (width_ <= 0 || height_ <= 0)
        return {};
    return {bytes_.get(), width_, height_, 3};
}

}  // namespace plexo
