#pragma once
// The picture convention shared by films, compositors and converters: rows
// unpadded, bottom row first, colour bytes blue, green, red.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace plexo {

// A borrowed picture. data == nullptr means "no picture". The bytes belong to
// whoever produced the view (normally a film's frame) and stay valid until the
// next picture request to the same film.
//
// data points at the bottom row; each row above lies rowStride bytes further
// on. A film's own pictures have unpadded rows, one after the other; a view
// into a larger picture (an eye of a side-by-side picture) keeps its parent's
// stride, and a buffer whose top row comes first in memory (a decoded video
// frame) is seen bottom row first through a negative stride.
struct Picture {
    const uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    ptrdiff_t rowStride = 0;

    Picture() = default;
    // Unpadded rows.
    Picture(const uint8_t* data, int width, int height, int bytesPerPixel)
        : Picture(data, width, height, bytesPerPixel, ptrdiff_t(width) * bytesPerPixel)
    {
    }
    Picture(const uint8_t* data, int width, int height, int bytesPerPixel, ptrdiff_t rowStride)
        : data(data), width(width), height(height), bytesPerPixel(bytesPerPixel), rowStride(rowStride)
    {
    }
    // The picture of a buffer that holds its top row first, `pitch` bytes a row.
    static Picture TopDown(const uint8_t* top, int width, int height, int bytesPerPixel, ptrdiff_t pitch)
    {
        if (!top || height < 1)
            return {};
        return {top + (height - 1) * pitch, width, height, bytesPerPixel, -pitch};
    }

    explicit operator bool() const { return data != nullptr; }
    // The pixel bytes of one row, without what the stride skips.
    size_t rowBytes() const { return size_t(width) * size_t(bytesPerPixel); }
    // The pixel bytes of all rows; one block from data only when packed().
    size_t byteCount() const { return rowBytes() * size_t(height); }
    // True when the rows follow one another with nothing between them, bottom
    // row first, as the picture files and the raw records hold them.
    bool packed() const { return rowStride == ptrdiff_t(rowBytes()); }
    const uint8_t* row(int r) const { return data + ptrdiff_t(r) * rowStride; }
    // The block of width × height pixels whose bottom-left pixel is column x
    // of row y; no picture unless the block lies inside this one and is not
    // empty.
    Picture subview(int x, int y, int width, int height) const;
};

// Grey pictures have one byte a pixel, colour pictures three.
enum class Tone { Grey, Colour };

// The largest picture side any reader accepts. Together with the 3-byte pixel it
// keeps every byte count of a picture well inside size_t and every pixel count
// inside int64_t, and it keeps a forged header from asking for absurd memory.
inline constexpr int kMaxPictureSide = 32768;

// Owned picture bytes with their size. Allocation does not zero the bytes:
// every producer overwrites them whole.
struct PictureBuffer {
    std::unique_ptr<uint8_t[]> bytes;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;

    // Null bytes when the size is out of range or memory cannot be had.
    static PictureBuffer allocate(int width, int height, int bytesPerPixel);

    explicit operator bool() const { return bytes != nullptr; }
    size_t rowBytes() const { return size_t(width) * size_t(bytesPerPixel); }
    size_t byteCount() const { return rowBytes() * size_t(height); }
    uint8_t* row(int r) { return bytes.get() + size_t(r) * rowBytes(); }
    Picture view() const { return {bytes.get(), width, height, bytesPerPixel}; }
};

// The picture with its rows one after the other, bottom row first, for a
// writer that takes the pixels as one block: the picture itself when its rows
// already lie so, else a copy in `store`, valid until the store changes.
Picture PackedRows(const Picture& picture, std::vector<uint8_t>& store);

}  // namespace plexo
