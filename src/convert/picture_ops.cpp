#include "convert/picture_ops.h"

#include <cstring>

namespace plexo {

namespace {

// Bytes enough for width x height pixels in `store`, as a writable view.
uint8_t* Reserve(PictureStore& store, int width, int height, int bytesPerPixel)
{
    store.resize(size_t(width) * size_t(height) * size_t(bytesPerPixel));
    return store.data();
}

// Each output byte sums its block straight from the factor source rows
// below it; with the factor and pixel size known at compile time the block
// loops unroll and the division becomes a multiplication.
template <int N, int B>
void ReduceFixed(const Picture& s, uint8_t* out, int outWidth, int outHeight)
{
    constexpr uint32_t kCount = uint32_t(N) * uint32_t(N);
    for (int y = 0; y < outHeight; ++y) {
        const uint8_t* rows[N];
        for (int j = 0; j < N; ++j)
            rows[j] = s.row(y * N + j);
        for (int x = 0; x < outWidth; ++x) {
            const size_t at = size_t(x) * N * B;
            for (int c = 0; c < B; ++c) {
                uint32_t sum = 0;
                for (int j = 0; j < N; ++j)
                    for (int k = 0; k < N; ++k)
                        sum += rows[j][at + size_t(k) * B + size_t(c)];
                *out++ = uint8_t((sum + kCount / 2) / kCount);
            }
        }
    }
}

// The same for any factor and pixel size.
void ReduceAny(const Picture& s, int n, uint8_t* out, int outWidth, int outHeight)
{
    const int b = s.bytesPerPixel;
    const uint32_t count = uint32_t(n) * uint32_t(n);
    for (int y = 0; y < outHeight; ++y)
        for (int x = 0; x < outWidth; ++x)
            for (int c = 0; c < b; ++c) {
                uint32_t sum = 0;
                for (int j = 0; j < n; ++j) {
                    const uint8_t* src = s.row(y * n + j) + size_t(x) * size_t(n) * size_t(b) + size_t(c);
                    for (int k = 0; k < n; ++k)
                        sum += src[size_t(k) * size_t(b)];
                }
                *out++ = uint8_t((sum + count / 2) / count);
            }
}

template <int N>
void ReduceBy(const Picture& s, uint8_t* out, int outWidth, int outHeight)
{
    if (s.bytesPerPixel == 3)
        ReduceFixed<N, 3>(s, out, outWidth, outHeight);
    else if (s.bytesPerPixel == 1)
        ReduceFixed<N, 1>(s, out, outWidth, outHeight);
    else
        ReduceAny(s, N, out, outWidth, outHeight);
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
    switch (factor) {
    case 2: ReduceBy<2>(source, out, w, h); break;
    case 3: ReduceBy<3>(source, out, w, h); break;
    case 4: ReduceBy<4>(source, out, w, h); break;
    default: ReduceAny(source, factor, out, w, h);
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

}  // namespace plexo
