#include "convert/picture_ops.h"

#include <algorithm>
#include <cstring>

namespace plexo {

namespace {

// Bytes enough for width x height pixels in `store`, as a writable view.
uint8_t* Reserve(PictureStore& store, int width, int height, int bytesPerPixel)
{
    store.resize(size_t(width) * size_t(height) * size_t(bytesPerPixel));
    return store.data();
}

// The block sums of one output row are gathered in `sums`, a source row at a
// time, so that every source byte is read once and in order.
template <class Mean>
void Reduce(const Picture& s, int n, uint8_t* out, int outWidth, int outHeight, Mean mean)
{
    const int b = s.bytesPerPixel;
    const size_t outRow = size_t(outWidth) * size_t(b);
    std::vector<uint32_t> sums(outRow);
    for (int y = 0; y < outHeight; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int r = 0; r < n; ++r) {
            const uint8_t* src = s.row(y * n + r);
            for (int x = 0; x < outWidth; ++x) {
                uint32_t* sum = &sums[size_t(x) * size_t(b)];
                for (int k = 0; k < n; ++k, src += b)
                    for (int c = 0; c < b; ++c)
                        sum[c] += src[c];
            }
        }
        uint8_t* dst = out + size_t(y) * outRow;
        for (size_t i = 0; i < outRow; ++i)
            dst[i] = uint8_t(mean(sums[i]));
    }
}

// Copies the height x width pixels whose bottom-left corner is (x0, y0).
Picture Cut(const Picture& s, int x0, int y0, int width, int height, PictureStore& store)
{
    uint8_t* out = Reserve(store, width, height, s.bytesPerPixel);
    const size_t rowBytes = size_t(width) * size_t(s.bytesPerPixel);
    for (int y = 0; y < height; ++y)
        std::memcpy(out + size_t(y) * rowBytes, s.row(y0 + y) + size_t(x0) * size_t(s.bytesPerPixel), rowBytes);
    return {out, width, height, s.bytesPerPixel};
}

void ClampTarget(int& target, int side)
{
    if (target < 1 || target > side)
        target = side;
}

bool Valid(const Picture& p)
{
    return p.data && p.width > 0 && p.height > 0 && p.bytesPerPixel > 0;
}

}  // namespace

Picture ReducePicture(const Picture& source, int factor, PictureStore& store)
{
    if (!Valid(source) || factor < 1)
        return {};
    const int w = source.width / factor;
    const int h = source.height / factor;
    if (w < 1 || h < 1)
        return {};
    uint8_t* out = Reserve(store, w, h, source.bytesPerPixel);
    // Constant divisors let the compiler replace the division per byte.
    switch (factor) {
    case 1: Reduce(source, 1, out, w, h, [](uint32_t s) { return s; }); break;
    case 2: Reduce(source, 2, out, w, h, [](uint32_t s) { return (s + 2) / 4; }); break;
    case 3: Reduce(source, 3, out, w, h, [](uint32_t s) { return (s + 4) / 9; }); break;
    case 4: Reduce(source, 4, out, w, h, [](uint32_t s) { return (s + 8) / 16; }); break;
    default: {
        const uint32_t n = uint32_t(factor) * uint32_t(factor);
        Reduce(source, factor, out, w, h, [n](uint32_t s) { return (s + n / 2) / n; });
    }
    }
    return {out, w, h, source.bytesPerPixel};
}

Picture CropPixels(const Picture& source, int& targetWidth, int& targetHeight, PictureStore& store)
{
    if (!Valid(source))
        return {};
    ClampTarget(targetWidth, source.width);
    ClampTarget(targetHeight, source.height);
    if (targetWidth == source.width && targetHeight == source.height)
        return source;
    return Cut(source, (source.width - targetWidth) / 2, (source.height - targetHeight) / 2, targetWidth,
               targetHeight, store);
}

Picture CropBitmap(BitmapInfoHeader& header, const uint8_t* pixels, int& targetWidth, int& targetHeight,
                   PictureStore& store)
{
    const int b = header.bitCount == 16 ? 2 : header.bitCount == 24 ? 3 : header.bitCount == 32 ? 4 : 1;
    const Picture source{pixels, header.width, header.height, b};
    if (!Valid(source))
        return {};
    ClampTarget(targetWidth, source.width);
    ClampTarget(targetHeight, source.height);
    if (targetWidth == source.width && targetHeight == source.height) {
        if (source.width % 4 == 0)
            return source;
        targetWidth = source.width - source.width % 4;
        header.width = targetWidth;
        if (targetWidth == 0)
            return {};
        return Cut(source, 0, 0, targetWidth, targetHeight, store);
    }
    header.width = targetWidth;
    header.height = targetHeight;
    return Cut(source, (source.width - targetWidth) / 2, (source.height - targetHeight) / 2, targetWidth,
               targetHeight, store);
}

Picture ExchangeRedBlue(const Picture& source, PictureStore& store)
{
    if (!Valid(source) || source.bytesPerPixel != 3)
        return {};
    const size_t n = source.byteCount();
    const uint8_t* src = source.data;
    if (src != store.data())
        store.resize(n);
    uint8_t* dst = store.data();
    for (size_t i = 0; i < n; i += 3) {
        const uint8_t first = src[i];
        dst[i] = src[i + 2];
        dst[i + 1] = src[i + 1];
        dst[i + 2] = first;
    }
    return {dst, source.width, source.height, 3};
}

}  // namespace plexo
