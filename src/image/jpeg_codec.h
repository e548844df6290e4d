#pragma once
// JPEG coding over libjpeg-turbo. Colour streams are YCbCr with both chroma
// planes halved (4:2:0), grey streams one plane; quality 1 to 100.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/picture.h"

namespace plexo {

// How rows and colour bytes of a decoded or encoded picture relate to the
// stream.
enum class JpegRows {
    // Rows as in the stream (top row first), colour bytes red, green, blue.
    // Packed .flm frames use this: they hand the system picture to the
    // encoder unchanged and get it back unchanged.
    AsStored,
    // The system's picture convention: bottom row first, blue, green, red.
    // Numbered JPEG files use this; it decodes straight into place.
    Picture,
};

// Decodes one whole stream held in memory. A null buffer when the stream does
// not decode cleanly (the library reports it corrupt or cut short) or its size
// is beyond kMaxPictureSide or the decoded picture limit (picture_limit.h). A 1-component stream
// decoded as colour gives three equal bytes a pixel; a 3-component stream
// decoded as grey gives its luminance.
PictureBuffer DecodeJpegColour(const uint8_t* stream, size_t length, JpegRows rows = JpegRows::AsStored);
PictureBuffer DecodeJpegGrey(const uint8_t* stream, size_t length, JpegRows rows = JpegRows::AsStored);

// The picture size a stream's header states; false when the header does not
// read.
bool ReadJpegSize(const uint8_t* stream, size_t length, int& width, int& height);

// Encodes width x height pixels of `channels` (1 or 3) bytes, rows taken as
// the image's rows from the top and colour bytes as red, green, blue. Empty on
// failure.
std::vector<uint8_t> EncodeJpeg(const uint8_t* pixels, int channels, int width, int height, int quality);

// An encoder for frame after frame: the library handle and the output block
// are kept, so that after the first frame encoding allocates and clears no
// memory. One encoder serves one thread.
class JpegEncoder {
public:
    JpegEncoder();
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // Encodes `picture` (1 or 3 bytes a pixel), its rows and colour bytes
    // read as `rows` says. False on failure, leaving no stream.
    bool Encode(const Picture& picture, int quality, JpegRows rows);

    // The last stream encoded; valid until the next Encode.
    const uint8_t* data() const { return block_.get(); }
    size_t size() const { return size_; }

private:
    void* handle_ = nullptr;
    std::unique_ptr<uint8_t[]> block_;
    size_t capacity_ = 0;
    size_t size_ = 0;
};

// Writes a picture in the system's convention (bottom row first, colour bytes
// blue, green, red; or grey) as an ordinary JPEG file, top row first in red,
// green, blue. The library reads the rows and bytes in that order itself, so
// no turned or swapped copy of the picture is made. False on failure; the file
// is then not left in place of an older one of that name.
bool WriteJpegFile(const std::string& fileName, const Picture& picture, int quality);

}  // namespace plexo
