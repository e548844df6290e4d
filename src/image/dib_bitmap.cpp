#include "image/dib_bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "image/picture.h"
#include "platform/message_sink.h"

namespace plexo {

namespace {

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

constexpr int kFileHeaderSize = 14;
constexpr int kCoreHeaderSize = 12;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;


// What the two header forms tell about the bitmap, in one shape.
struct Layout {
    int64_t width = 0;
    int64_t height = 0;  // negative: rows stored top row first
    int bitCount = 0;
    uint32_t compression = kRgb;
    int64_t colourCount = 0;
    int entryBytes = 4;  // 3 in a core header's table
};

bool KnownDepth(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

}  // namespace

const char* CDIBitmap::Read(InputFile& file)
{
    const int64_t start = file.Position();
    uint8_t fileHeader[kFileHeaderSize];
    if (file.Read(fileHeader, sizeof fileHeader) < sizeof fileHeader)
        return "Error reading file header";
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        return "Not a bitmap file";
    const int64_t bitsOffset = U32(fileHeader + 10);

    // A core bitmap can be shorter than the 40 bytes of a standard header, so
    // the header's own size decides how much of it must be there.
    uint8_t info[kInfoHeaderSize] = {};
    const size_t got = file.Read(info, sizeof info);
    const uint32_t headerSize = got >= 4 ? U32(info) : 0;
    const bool core = headerSize == kCoreHeaderSize && got >= kCoreHeaderSize;
    if (got < sizeof info && !core)
        return "Error reading header information";

    Layout at;
    if (core) {
        at.width = U16(info + 4);
        at.height = U16(info + 6);
        at.bitCount = U16(info + 10);
        at.colourCount = at.bitCount <= 8 ? int64_t(1) << at.bitCount : 0;
        at.entryBytes = 3;
    } else if (headerSize == kInfoHeaderSize) {
        at.width = int32_t(U32(info + 4));
        at.height = int32_t(U32(info + 8));
        at.bitCount = U16(info + 14);
        at.compression = U32(info + 16);
        const uint32_t used = U32(info + 32);
        at.colourCount = used != 0 ? used : (at.bitCount <= 8 && at.bitCount > 0 ? int64_t(1) << at.bitCount : 0);
    } else {
        return "Unkown DIB format";
    }
    // Run-length and embedded JPEG/PNG bits are not rows of pixels; nor are
    // sizes that describe no picture.
    if ((at.compression != kRgb && at.compression != kBitFields) || !KnownDepth(at.bitCount) || at.width <= 0 ||
        at.height == 0)
        return "Unkown DIB format";
    const int64_t rows = at.height < 0 ? -at.height : at.height;
    if (at.width > kMaxPictureSide || rows > kMaxPictureSide)
        return "Insufficient memory to read DIB bits";

    const char* tableError = core ? "Error reading color table data" : "Error reading color table";
    const int64_t tableAt = start + kFileHeaderSize + headerSize;
    const int64_t tableBytes = at.colourCount * at.entryBytes;
    if (tableBytes > file.Remaining(tableAt))
        return tableError;
    std::vector<uint8_t> header;
    std::vector<uint8_t> table;
    try {
        header.assign(size_t(kInfoHeaderSize + at.colourCount * 4), 0);
        table.resize(size_t(tableBytes));
    } catch (const std::bad_alloc&) {
        return "Insufficient memory for DIB header";
    }
    if (!file.ReadAt(tableAt, table.data(), table.size()))
        return tableError;
    for (int64_t i = 0; i < at.colourCount; ++i)
        std::memcpy(&header[size_t(kInfoHeaderSize + 4 * i)], &table[size_t(at.entryBytes * i)], 3);

    // Rows of 1- and 4-bit bitmaps whose bits do not fill the last byte are
    // rounded up, as they are stored.
    const int64_t rowBytes = (at.bitCount * at.width + 31) / 32 * 4;
    const int64_t imageBytes = rowBytes * rows;
    const int64_t bitsAt = start + bitsOffset;
    if (imageBytes > file.Remaining(bitsAt))
        return "Error reading bitmap data";
    std::unique_ptr<uint8_t[]> bits(new (std::nothrow) uint8_t[size_t(imageBytes)]);
    if (!bits)
        return "Insufficient memory to read DIB bits";
    if (!file.ReadAt(bitsAt, bits.get(), size_t(imageBytes)))
        return "Error reading bitmap data";
    if (at.height < 0) {
        uint8_t* b = bits.get();
        for (int64_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(b + top * rowBytes, b + (top + 1) * rowBytes, b + bottom * rowBytes);
    }

    if (core) {
        PutU32(&header[0], kInfoHeaderSize);
        header[12] = 1;  // planes
        header[14] = uint8_t(at.bitCount);
    } else {
        std::memcpy(header.data(), info, kInfoHeaderSize);
    }
    PutU32(&header[4], uint32_t(at.width));
    PutU32(&header[8], uint32_t(rows));
    PutU32(&header[20], uint32_t(imageBytes));
    PutU32(&header[32], uint32_t(at.colourCount));

    header_ = std::move(header);
    bits_ = std::move(bits);
    return nullptr;
}

bool CDIBitmap::Load(InputFile& file)
{
    const char* refusal = Read(file);
    if (refusal)
        platform::ShowMessage(refusal);
    return !refusal;
}

int32_t CDIBitmap::Width() const { return header_.empty() ? 0 : int32_t(U32(&header_[4])); }
int32_t CDIBitmap::Height() const { return header_.empty() ? 0 : int32_t(U32(&header_[8])); }
int CDIBitmap::BitCount() const { return header_.empty() ? 0 : U16(&header_[14]); }

int64_t CDIBitmap::RowBytes() const { return (int64_t(BitCount()) * Width() + 31) / 32 * 4; }

std::unique_ptr<uint8_t[]> CDIBitmap::TakeBits()
{
    header_.clear();
    return std::move(bits_);
}

}  // namespace plexo
