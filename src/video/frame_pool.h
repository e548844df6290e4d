#pragma once
// Picture buffers used again frame after frame: a converted frame gives its
// buffers back when its last holder lets it go, and the next frame of the
// same size takes them, so steady playback allocates nothing. Any thread.

#include <cstddef>
#include <mutex>
#include <vector>

#include "image/picture.h"

namespace plexo::video {

class FramePool {
public:
    // At most `spare` buffers wait unused; the others are freed.
    explicit FramePool(size_t spare) : spare_(spare) {}

    // A buffer of that size, a spare one when there is one; null bytes when
    // memory cannot be had.
    PictureBuffer Take(int width, int height, int bytesPerPixel);
    void Give(PictureBuffer buffer);

private:
    const size_t spare_;
    std::mutex mutex_;
    std::vector<PictureBuffer> free_;
};

}  // namespace plexo::video
