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
    // At most `spare` buffers wait unused, of at most `spareBytes` together
    // unless one alone is larger; the others are freed. Large frames are
    // few a second: a spare or two of them keeps up, more only hold memory.
    explicit FramePool(size_t spare, size_t spareBytes = size_t(32) << 20) : spare_(spare), spareBytes_(spareBytes) {}

    // A buffer of that size, a spare one when there is one; null bytes when
    // memory cannot be had.
    PictureBuffer Take(int width, int height, int bytesPerPixel);
    void Give(PictureBuffer buffer);

private:
    const size_t spare_;
    const size_t spareBytes_;
    std::mutex mutex_;
    std::vector<PictureBuffer> free_;
    size_t freeBytes_ = 0;
};

}  // namespace plexo::video
