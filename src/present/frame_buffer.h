#pragma once
// The bitmap a compositor fills and the view paints one pixel to one device
// pixel: 24 bits a pixel (blue, green, red), bottom row first, Wp × H pixels
// where Wp is the view's width rounded up to a multiple of 4, so a row is
// 3·Wp bytes with no padding.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/picture.h"
#include "present/placement.h"

namespace plexo {

// A writable window on frame bytes: the rows of `height` rows, each `stride`
// bytes apart, of which the first 3·width are pixels.
struct FrameView {
    uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;

    uint8_t* row(int r) const { return data + size_t(r) * stride; }
};

class FrameBuffer {
public:
    // The largest byte count a frame may have: the bitmap's sizes and offsets
    // are 32-bit signed numbers.
    static constexpr int64_t kMaxBytes = INT32_MAX;

    FrameBuffer() = default;
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;

    // Sizes the frame for a view of viewWidth × viewHeight. The bytes are
    // left as they were: the compositor clears what its pictures do not
    // cover. The storage grows when needed and never shrinks, so redrawing a
    // view of the same size allocates nothing. False, leaving an empty frame,
    // for a negative size, one beyond kMaxBytes, or when memory cannot be had.
    bool Prepare(int64_t viewWidth, int64_t viewHeight);

    // Black everywhere.
    void Clear();
    // Black everywhere but the block of rows × cols (in pixels), which the
    // caller fills. A block reaching outside the frame is ignored and the
    // whole frame cleared.
    void ClearOutside(Span rows, Span cols);

    // Wp, the padded width.
    int width() const { return width_; }
    // The view's own width; the up to three columns beyond it are clipped away.
    int viewWidth() const { return viewWidth_; }
    int height() const { return height_; }
    size_t stride() const { return size_t(width_) * 3; }
    size_t byteCount() const { return stride() * size_t(height_); }
    size_t capacity() const { return capacity_; }
    const uint8_t* bytes() const { return bytes_.get(); }

    FrameView view() { return {bytes_.get(), width_, height_, stride()}; }
    // The frame as a colour picture (no picture while the frame is empty).
    Picture picture() const;

private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t capacity_ = 0;
    int width_ = 0;
    int viewWidth_ = 0;
    int height_ = 0;
};

// The view width rounded up to a multiple of 4.
constexpr int64_t PaddedWidth(int64_t viewWidth) { return (viewWidth + 3) / 4 * 4; }

}  // namespace plexo
