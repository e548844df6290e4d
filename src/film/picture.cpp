#include "film/picture.h"

#include <new>

namespace plexo {

PictureBuffer PictureBuffer::allocate(int width, int height, int bytesPerPixel)
{
    PictureBuffer p;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        (bytesPerPixel != 1 && bytesPerPixel != 3))
        return p;
    const size_t n = size_t(width) * size_t(height) * size_t(bytesPerPixel);
    p.bytes.reset(new (std::nothrow) uint8_t[n]);
    if (!p.bytes)
        return p;
    p.width = width;
    p.height = height;
    p.bytesPerPixel = bytesPerPixel;
    return p;
}

}  // namespace plexo
