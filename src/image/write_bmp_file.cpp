#include "image/write_bmp_file.h"

#include "platform/atomic_file.h"

namespace plexo {

namespace {
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

uint32_t U32At(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t U16At(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

void PutU16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v)
{
    PutU16(p, v & 0xFFFF);
    PutU16(p + 2, v >> 16);
}

size_t PaletteBytes(uint16_t bitCount) { return bitCount <= 8 ? size_t(4) << bitCount : 0; }

size_t BytesPerPixel(uint16_t bitCount)
{
    switch (bitCount) {
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 1;
    }
}
}  // namespace

bool WriteBmpFile(const std::string& path, const uint8_t* headerAndPalette, const uint8_t* pixels)
{
    platform::AtomicFile file(path);
    return WriteBmpInto(file, headerAndPalette, pixels) && file.commit();
}

bool WriteBmpInto(platform::AtomicFile& file, const uint8_t* headerAndPalette, const uint8_t* pixels)
{
    if (!headerAndPalette || !pixels)
        return false;
    const uint32_t headerSize = U32At(headerAndPalette);
    const int32_t width = int32_t(U32At(headerAndPalette + 4));
    const int32_t height = int32_t(U32At(headerAndPalette + 8));
    const uint16_t bitCount = U16At(headerAndPalette + 14);
    // Only the 40-byte header is written, so a header claiming another size
    // would give a file whose data offset lies. Sides are bounded so that
    // every count below fits, and a top-down picture (negative height) still
    // has a positive number of rows; a negative width has no meaning.
    const int64_t rows = height < 0 ? -int64_t(height) : int64_t(height);
    if (headerSize != kInfoHeaderSize || width < 1 || rows < 1 || width > kMaxPictureSide || rows > kMaxPictureSide)
        return false;
    const size_t palette = PaletteBytes(bitCount);
    const size_t rowBytes = size_t(width) * BytesPerPixel(bitCount);
    const size_t padding = (4 - rowBytes % 4) % 4;
    const uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + palette + uint64_t(rowBytes + padding) * uint64_t(rows);
    if (fileSize > UINT32_MAX)
        return false;

    uint8_t fileHeader[kFileHeaderSize] = {'B', 'M'};
    PutU32(fileHeader + 2, uint32_t(fileSize));
    PutU32(fileHeader + 10, uint32_t(kFileHeaderSize + kInfoHeaderSize + palette));

    file.write(fileHeader, sizeof fileHeader);
    file.write(headerAndPalette, kInfoHeaderSize + palette);
    static constexpr uint8_t kZeros[4] = {};
    for (int64_t r = 0; r < rows && file.ok(); ++r) {
        file.write(pixels + size_t(r) * rowBytes, rowBytes);
        file.write(kZeros, padding);
    }
    return file.ok();
}

std::vector<uint8_t> BitmapHeaderFor(const Picture& picture)
{
    if (picture.bytesPerPixel < 1 || picture.bytesPerPixel > 4)
        return {};
    const bool grey = picture.bytesPerPixel == 1;
    std::vector<uint8_t> header(kInfoHeaderSize + (grey ? PaletteBytes(8) : 0), 0);
    PutU32(&header[0], kInfoHeaderSize);
    PutU32(&header[4], uint32_t(picture.width));
    PutU32(&header[8], uint32_t(picture.height));
    PutU16(&header[12], 1);
    PutU16(&header[14], uint32_t(picture.bytesPerPixel * 8));
    if (grey) {
        PutU32(&header[32], 256);  // colours used
        PutU32(&header[36], 256);  // colours important
        for (uint32_t i = 0; i < 256; ++i) {
            uint8_t* entry = &header[kInfoHeaderSize + 4 * i];
            entry[0] = entry[1] = entry[2] = uint8_t(i);
        }
    }
    return header;
}

}  // namespace plexo
