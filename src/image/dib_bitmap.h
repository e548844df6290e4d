#pragma once
// The Windows bitmap (.bmp) reader: the 40-byte information header with its
// colour table, and the pixel rows, bottom row first, each padded to a
// multiple of 4 bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/input_file.h"

namespace plexo {

class CDIBitmap {
public:
    // Reads the bitmap that starts at the file's position. On failure shows
    // one message ("Error reading file header", "Not a bitmap file",
    // "Error reading header information", "Unkown DIB format",
    // "Insufficient memory for DIB header", "Error reading color table",
    // "Error reading color table data", "Insufficient memory to read DIB bits",
    // "Error reading bitmap data"), keeps what was loaded before and returns
    // false.
    //
    // Whatever the file holds, the loaded bitmap is in one form: a 40-byte
    // header (an older 12-byte core header is converted, its 3-byte colour
    // entries widened to 4), a positive height, and rows bottom row first (a
    // bitmap stored top row first is turned round).
    bool Load(InputFile& file);
    // Load without showing the message: null when loaded, else the message.
    const char* Read(InputFile& file);

    bool Loaded() const { return bits_ != nullptr; }
    int32_t Width() const;
    int32_t Height() const;
    int BitCount() const;
    // The 40 header bytes followed by the colour table.
    const uint8_t* HeaderBlock() const { return header_.data(); }
    // Colour table entries, 4 bytes each: blue, green, red, 0.
    const uint8_t* ColourTable() const { return Loaded() ? header_.data() + kInfoHeaderSize : nullptr; }
    int64_t ColourCount() const { return Loaded() ? int64_t(header_.size() - kInfoHeaderSize) / 4 : 0; }
    const uint8_t* Bits() const { return bits_.get(); }
    // Hands the rows over to the caller; the bitmap is then no longer loaded.
    std::unique_ptr<uint8_t[]> TakeBits();
    // Bytes of one stored row, padding included.
    int64_t RowBytes() const;

    static constexpr int kInfoHeaderSize = 40;

private:
    std::vector<uint8_t> header_;
    // Not a vector: the rows are read over whole, so zeroing them first is
    // wasted, and a picture can take them over as they are.
    std::unique_ptr<uint8_t[]> bits_;
};

}  // namespace plexo
