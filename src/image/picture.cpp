#include "image/picture.h"

#include <cstring>
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

Picture Picture::subview(int x, int y, int w, int h) const
{
    if (!data || x < 0 || y < 0 || w < 1 || h < 1 || int64_t(x) + w > width || int64_t(y) + h > height)
        return {};
    return {row(y) + size_t(x) * size_t(bytesPerPixel), w, h, bytesPerPixel, rowStride};
}

Picture PackedRows(const Picture& picture, std::vector<uint8_t>& store)
{
    if (!picture || picture.packed())
        return picture;
    const size_t rowBytes = picture.rowBytes();
    store.resize(rowBytes * size_t(picture.height));
    for (int r = 0; r < picture.height; ++r)
        std::memcpy(store.data() + size_t(r) * rowBytes, picture.row(r), rowBytes);
    return {store.data(), picture.width, picture.height, picture.bytesPerPixel};
}

}  // namespace plexo
