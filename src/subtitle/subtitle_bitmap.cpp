#include "subtitle/subtitle_bitmap.h"

#include <algorithm>

namespace plexo::subtitle {

SubtitleBitmap ClearBitmap(int x, int y, int width, int height)
{
    if (width < 1 || height < 1)
        return {};
    SubtitleBitmap bitmap{x, y, width, height, {}};
    bitmap.bgra.assign(size_t(width) * size_t(height) * 4, 0);
    return bitmap;
}

namespace {

// dst × (255 − a) / 255 + src, rounded, for premultiplied src.
inline uint8_t Over(uint8_t dst, uint8_t src, uint8_t a)
{
    return uint8_t(std::min(255, src + (dst * (255 - a) + 127) / 255));
}

}  // namespace

void DrawBitmap(const SubtitleBitmap& bitmap, int shift, const Picture& into)
{
    if (bitmap.empty() || !into || (into.bytesPerPixel != 1 && into.bytesPerPixel != 3))
        return;
    const int64_t left = std::max<int64_t>(0, int64_t(bitmap.x) + shift);
    const int64_t right = std::min<int64_t>(into.width, int64_t(bitmap.x) + shift + bitmap.width);
    const int top = std::max(0, bitmap.y);
    const int bottom = std::min(into.height, bitmap.y + bitmap.height);
    for (int y = top; y < bottom; ++y) {
        // The picture's rows run bottom first.
        uint8_t* row = const_cast<uint8_t*>(into.row(into.height - 1 - y));
        const uint8_t* from = bitmap.pixel(int(left - shift - bitmap.x), y - bitmap.y);
        for (int64_t x = left; x < right; ++x, from += 4) {
            const uint8_t a = from[3];
            if (a == 0)
                continue;
            if (into.bytesPerPixel == 3) {
                uint8_t* d = row + x * 3;
                if (a == 255) {
                    d[0] = from[0];
                    d[1] = from[1];
                    d[2] = from[2];
                    continue;
                }
                d[0] = Over(d[0], from[0], a);
                d[1] = Over(d[1], from[1], a);
                d[2] = Over(d[2], from[2], a);
            } else {
                const uint8_t grey = uint8_t((from[0] * 29 + from[1] * 150 + from[2] * 77 + 128) >> 8);
                row[x] = Over(row[x], grey, a);
            }
        }
    }
}

}  // namespace plexo::subtitle
