#include "app/frame_pixels.h"

#include <cstring>

namespace plexo {

void BottomUpBgrToTopDownXrgb(const uint8_t* source, size_t sourceStride, int sourceHeight, int width, int height,
                              uint8_t* dest, size_t destStride)
{
    for (int y = 0; y < height; ++y) {
        // Screen row y is source row (sourceHeight - 1 - y) counted from the bottom.
        const uint8_t* in = source + size_t(sourceHeight - 1 - y) * sourceStride;
        uint8_t* out = dest + size_t(y) * destStride;
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = 0xff000000u | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
            std::memcpy(out, &pixel, 4);
            in += 3;
            out += 4;
        }
    }
}

}  // namespace plexo
