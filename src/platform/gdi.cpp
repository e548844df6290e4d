#include "platform/gdi.h"

#include <algorithm>
#include <cstring>

namespace plexo::platform {

namespace {

// Clips a copy of w × h pixels from (sx, sy) of a source of sw × sh to (dx,
// dy) of a destination of dw × dh; false when nothing is left.
bool Clip(int64_t& dx, int64_t& dy, int64_t& sx, int64_t& sy, int64_t& w, int64_t& h, int64_t dw, int64_t dh,
          int64_t sw, int64_t sh)
{
    const auto cut = [](int64_t& d, int64_t& s, int64_t& n, int64_t dLimit, int64_t sLimit) {
        const int64_t before = std::max({int64_t(0), -d, -s});
        d += before;
        s += before;
        n -= before;
        n = std::min({n, dLimit - d, sLimit - s});
    };
    cut(dx, sx, w, dw, sw);
    cut(dy, sy, h, dh, sh);
    return w > 0 && h > 0;
}

void Touch(K3V_DC& dc, int64_t x, int64_t y, int64_t w, int64_t h)
{
    K3V_Rect& c = dc.changed;
    const K3V_Rect r{int32_t(x), int32_t(y), int32_t(x + w), int32_t(y + h)};
    c = c.right <= c.left || c.bottom <= c.top ? r
                                               : K3V_Rect{std::min(c.left, r.left), std::min(c.top, r.top),
                                                          std::max(c.right, r.right), std::max(c.bottom, r.bottom)};
}

}  // namespace

int SetDIBitsToDevice(K3V_DC* dc, int32_t x, int32_t y, uint32_t w, uint32_t h, int32_t xSrc, int32_t ySrc,
                      uint32_t startScan, uint32_t lines, const void* bits, const BitmapInfoHeader& header,
                      uint32_t usage)
{
    if (!dc || !dc->pixels.data || !bits || usage != kDibRgbColors || header.bitCount != 24 ||
        header.compression != 0 || header.width <= 0 || header.height <= 0)
        return 0;
    const int64_t stride = (int64_t(header.width) * 3 + 3) / 4 * 4;
    // Only the rows startScan .. startScan + lines of the bitmap are at hand;
    // the source rectangle counts its rows from the top.
    const int64_t firstRow = std::min<int64_t>(startScan, header.height);
    const int64_t rowCount = std::min<int64_t>(lines, header.height - firstRow);
    int64_t dx = x, dy = y, sx = xSrc, sy = ySrc, cw = w, ch = h;
    // In top-down terms the rows at hand are height − firstRow − rowCount ..
    // height − firstRow; clip against the whole bitmap, then against them.
    const int64_t topOfRange = header.height - firstRow - rowCount;
    sy -= topOfRange;
    if (!Clip(dx, dy, sx, sy, cw, ch, dc->pixels.width, dc->pixels.height, header.width, rowCount))
        return 0;
    const auto* source = static_cast<const uint8_t*>(bits);
    for (int64_t r = 0; r < ch; ++r) {
        // `bits` holds the rows at hand bottom row first.
        const uint8_t* from = source + (rowCount - 1 - (sy + r)) * stride + sx * 3;
        uint8_t* to = dc->pixels.data + (dy + r) * dc->pixels.pitch + dx * 3;
        std::memcpy(to, from, size_t(cw) * 3);
    }
    Touch(*dc, dx, dy, cw, ch);
    return int(ch);
}

bool BitBlt(K3V_DC* dest, int32_t x, int32_t y, int32_t w, int32_t h, K3V_DC* source, int32_t xSrc, int32_t ySrc,
            uint32_t rop)
{
    if (!dest || !source || !dest->pixels.data || !source->pixels.data || rop != kSrcCopy)
        return false;
    int64_t dx = x, dy = y, sx = xSrc, sy = ySrc, cw = w, ch = h;
    if (!Clip(dx, dy, sx, sy, cw, ch, dest->pixels.width, dest->pixels.height, source->pixels.width,
              source->pixels.height))
        return true;
    for (int64_t r = 0; r < ch; ++r)
        std::memmove(dest->pixels.data + (dy + r) * dest->pixels.pitch + dx * 3,
                     source->pixels.data + (sy + r) * source->pixels.pitch + sx * 3, size_t(cw) * 3);
    Touch(*dest, dx, dy, cw, ch);
    return true;
}

}  // namespace plexo::platform
