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
    return true;
}

void FrameBuffer::Clear()
{
    if (byteCount() > 0)
        std::memset(bytes_.get(), 0, byteCount());
}

void FrameBuffer::ClearOutside(Span rows, Span cols)
{
    const bool inside = rows.count > 0 && cols.count > 0 && rows.dst >= 0 && cols.dst >= 0 &&
                        rows.dst + rows.count <= height_ && cols.dst + cols.count <= width_;
    if (!inside) {
        Clear();
        return;
    }
    uint8_t* const bytes = bytes_.get();
    const size_t left = size_t(cols.dst) * 3;
    const size_t block = size_t(cols.count) * 3;
    std::memset(bytes, 0, size_t(rows.dst) * stride());
    for (int64_t r = rows.dst; r < rows.dst + rows.count; ++r) {
        uint8_t* row = bytes + size_t(r) * stride();
        std::memset(row, 0, left);
        std::memset(row + left + block, 0, stride() - left - block);
    }
    const size_t above = size_t(rows.dst + rows.count) * stride();
    std::memset(bytes + above, 0, byteCount() - above);
}

Picture FrameBuffer::picture() const
{
    if (width_ <= 0 || height_ <= 0)
        return {};
    return {bytes_.get(), width_, height_, 3};
}

}  // namespace plexo
