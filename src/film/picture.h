#pragma once
// The picture convention shared by films, compositors and converters: rows
// unpadded, bottom row first, colour bytes blue, green, red.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace plexo {

// A borrowed picture. data == nullptr means "no picture". The bytes belong to
// whoever produced the view (normally a film's frame) and stay valid until the
// next picture request to the same film.
struct Picture {
    const uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;

    explicit operator bool() const { return data != nullptr; }
    size_t rowBytes() const { return size_t(width) * size_t(bytesPerPixel); }
    size_t byteCount() const { return rowBytes() * size_t(height); }
    const uint8_t* row(int r) const { return data + size_t(r) * rowBytes(); }
};

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

}  // namespace plexo
