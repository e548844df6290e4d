#include "image/jpeg_codec.h"

#include <turbojpeg.h>

#include <climits>
#include <memory>
#include <new>

#include "image/picture_limit.h"
#include "platform/atomic_file.h"

namespace plexo {

namespace {

struct TjCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjCloser>;

// A forged header can claim a picture far larger than its stream could ever
// describe. Every 8 x 8 block of the first component costs at least one bit
// of Huffman code; the allowance of 64 blocks a byte leaves room for
// arithmetic-coded streams, which go lower, and still refuses a few bytes that
// ask for megabytes.
bool StreamCanBack(int width, int height, size_t length)
{
    const int64_t blocks = (int64_t(width) + 7) / 8 * ((int64_t(height) + 7) / 8);
    return blocks <= int64_t(length) * 64;
}

PictureBuffer Decode(const uint8_t* stream, size_t length, JpegRows rows, Tone tone)
{
    if (!stream || length == 0)
        return {};
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return {};
    int width = 0, height = 0, subsamp = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), stream, (unsigned long)length, &width, &height, &subsamp, &colourspace) !=
        0)
        return {};
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        !StreamCanBack(width, height, length))
        return {};
    const int channels = tone == Tone::Grey ? 1 : 3;
    if (DecodedSizeRefusal({{width, height}}, channels))
        return {};
    PictureBuffer picture = PictureBuffer::allocate(width, height, channels);
    if (!picture)
        return {};
    int format = TJPF_GRAY;
    if (tone == Tone::Colour)
        format = rows == JpegRows::Picture ? TJPF_BGR : TJPF_RGB;
    // A stream the library reports as corrupt or cut short gives no picture,
    // rather than one padded out with grey that a conversion would write on
    // as good; the first warning ends the decoding. A stream of hundreds of
    // scans takes seconds a picture and is refused.
    const int flags =
        (rows == JpegRows::Picture ? TJFLAG_BOTTOMUP : 0) | TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
    if (tjDecompress2(handle.get(), stream, (unsigned long)length, picture.bytes.get(), width,
                      int(picture.rowBytes()), height, format, flags) != 0)
        return {};
    return picture;
}

bool Encodable(const Picture& p, int quality)
{
    const ptrdiff_t pitch = p.rowStride < 0 ? -p.rowStride : p.rowStride;
    return p.data && (p.bytesPerPixel == 1 || p.bytesPerPixel == 3) && p.width > 0 && p.height > 0 &&
           p.width <= kMaxPictureSide && p.height <= kMaxPictureSide && pitch >= ptrdiff_t(p.rowBytes()) &&
           pitch <= INT_MAX && quality >= 1 && quality <= 100;
}

}  // namespace

PictureBuffer DecodeJpegColour(const uint8_t* stream, size_t length, JpegRows rows)
{
    return Decode(stream, length, rows, Tone::Colour);
}

PictureBuffer DecodeJpegGrey(const uint8_t* stream, size_t length, JpegRows rows)
{
    return Decode(stream, length, rows, Tone::Grey);
}

bool ReadJpegSize(const uint8_t* stream, size_t length, int& width, int& height)
{
    TjHandle handle(tjInitDecompress());
    int subsamp = 0, colourspace = 0;
    return handle && stream && length > 0 &&
           tjDecompressHeader3(handle.get(), stream, (unsigned long)length, &width, &height, &subsamp, &colourspace) ==
               0;
}

JpegEncoder::JpegEncoder() : handle_(tjInitCompress()) {}

JpegEncoder::~JpegEncoder()
{
    if (handle_)
        tjDestroy(handle_);
}

bool JpegEncoder::Encode(const Picture& picture, int quality, JpegRows rows)
{
    size_ = 0;
    if (!handle_ || !Encodable(picture, quality))
        return false;
    const bool colour = picture.bytesPerPixel == 3;
    const int subsamp = colour ? TJSAMP_420 : TJSAMP_GRAY;
    int format = TJPF_GRAY;
    if (colour)
        format = rows == JpegRows::Picture ? TJPF_BGR : TJPF_RGB;
    // The library walks rows forwards from the lowest address only: a picture
    // whose rows run the other way starts at its top row and turns the order.
    const bool backwards = picture.rowStride < 0;
    const uint8_t* lowest = backwards ? picture.row(picture.height - 1) : picture.data;
    const int pitch = int(backwards ? -picture.rowStride : picture.rowStride);
    const int flags = (rows == JpegRows::Picture) != backwards ? TJFLAG_BOTTOMUP : 0;
    // The worst case for these settings, so that the library never has to
    // grow the block, whatever the picture and the quality. The block is
    // never cleared: the library writes every byte it reports.
    const unsigned long bound = tjBufSize(picture.width, picture.height, subsamp);
    if (bound == (unsigned long)-1)
        return false;
    if (bound > capacity_) {
        block_.reset();
        capacity_ = 0;
        block_.reset(new (std::nothrow) uint8_t[bound]);
        if (!block_)
            return false;
        capacity_ = bound;
    }
    unsigned char* block = block_.get();
    unsigned long size = bound;
    if (tjCompress2(handle_, lowest, picture.width, pitch, picture.height, format, &block,
                    &size, subsamp, quality, flags | TJFLAG_NOREALLOC) != 0 ||
        block != block_.get() || size > bound)
        return false;
    size_ = size;
    return true;
}

std::vector<uint8_t> EncodeJpeg(const uint8_t* pixels, int channels, int width, int height, int quality)
{
    JpegEncoder encoder;
    if (!encoder.Encode({pixels, width, height, channels}, quality, JpegRows::AsStored))
        return {};
    return {encoder.data(), encoder.data() + encoder.size()};
}

bool WriteJpegFile(const std::string& fileName, const Picture& picture, int quality)
{
    JpegEncoder encoder;
    return encoder.Encode(picture, quality, JpegRows::Picture) &&
           platform::ReplaceFileWith(fileName, encoder.data(), encoder.size());
}

}  // namespace plexo
