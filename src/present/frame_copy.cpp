#include "present/frame_copy.h"

#include <cstring>

namespace plexo {

namespace {

bool InsideBoth(Span s, int64_t pictureSize, int64_t frameSize)
{
    return s.count > 0 && s.src >= 0 && s.dst >= 0 && s.src + s.count <= pictureSize &&
           s.dst + s.count <= frameSize;
}

bool BlockFits(const Picture& picture, int bytesPerPixel, Span rows, Span cols, const FrameView& frame)
{
    return picture.data && picture.bytesPerPixel == bytesPerPixel && frame.data &&
           frame.stride >= size_t(frame.width) * 3 && InsideBoth(rows, picture.height, frame.height) &&
           InsideBoth(cols, picture.width, frame.width);
}

}  // namespace

void CopyColourRows(const Picture& colour, Span rows, Span cols, int firstRow, int rowStep,
                    const FrameView& frame)
{
    if (!BlockFits(colour, 3, rows, cols, frame) || firstRow < 0 || rowStep <= 0)
        return;
    const size_t bytes = size_t(cols.count) * 3;
    for (int64_t r = firstRow; r < rows.count; r += rowStep) {
        const uint8_t* from = colour.row(int(rows.src + r)) + size_t(cols.src) * 3;
        uint8_t* to = frame.row(int(rows.dst + r)) + size_t(cols.dst) * 3;
        std::memcpy(to, from, bytes);
    }
}

void CopyGreyToChannel(const Picture& grey, Span rows, Span cols, int channel, const FrameView& frame)
{
    if (!BlockFits(grey, 1, rows, cols, frame) || channel < 0 || channel > 2)
        return;
    const size_t n = size_t(cols.count);
    for (int64_t r = 0; r < rows.count; ++r) {
        const uint8_t* from = grey.row(int(rows.src + r)) + cols.src;
        uint8_t* to = frame.row(int(rows.dst + r)) + size_t(cols.dst) * 3 + channel;
        for (size_t x = 0; x < n; ++x)
            to[3 * x] = from[x];
    }
}

}  // namespace plexo
