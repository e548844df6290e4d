#include "film/flm_film.h"

#include <new>

#include "film/factories.h"
#include "film/jpeg_codec.h"

namespace plexo {

namespace {

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

std::unique_ptr<uint8_t[]> ReadBlock(const InputFile& file, int64_t offset, int64_t size)
{
    // The size comes from the file: only what the file can back is allocated.
    if (size <= 0 || size > file.Remaining(offset))
        return nullptr;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size_t(size)]);
    if (!block || !file.ReadAt(offset, block.get(), size_t(size)))
        return nullptr;
    return block;
}

}  // namespace

std::optional<FlmHeader> ReadFlmHeader(const InputFile& file)
{
    uint8_t bytes[16];
    if (!file.ReadAt(0, bytes, sizeof bytes))
        return std::nullopt;
    FlmHeader h;
    h.flags = U32(bytes);
    h.frameCount = int32_t(U32(bytes + 4));
    h.width = int32_t(U32(bytes + 8));
    h.height = int32_t(U32(bytes + 12));
    if (h.flags > 7 || h.frameCount < 1 || h.width < 1 || h.width > FlmHeader::kMaxSide || h.height < 1 ||
        h.height > FlmHeader::kMaxSide)
        return std::nullopt;
    if (h.flags & FlmHeader::kExtended) {
        uint8_t extension[8];
        if (!file.ReadAt(16, extension, sizeof extension) || U32(extension) != 4)
            return std::nullopt;
        h.packed = U32(extension + 4);
        h.firstRecord = 24;
    }
    return h;
}

FlmCadre::FlmCadre(int32_t number, const FlmHeader& header, const InputFile& file, int64_t dataOffset)
    : Cadre(number),
      width_(header.width),
      height_(header.height),
      file_(file),
      dataOffset_(dataOffset),
      packed_(header.packed != 0),
      colour_(header.colour())
{
}

PictureBuffer FlmCadre::Build(Tone tone)
{
    return packed_ ? BuildPacked(tone) : BuildRaw(tone);
}

PictureBuffer FlmCadre::BuildPacked(Tone tone) const
{
    uint8_t length[4];
    if (!file_.ReadAt(dataOffset_, length, sizeof length))
        return {};
    const int64_t streamAt = dataOffset_ + 4;
    const auto stream = ReadBlock(file_, streamAt, U32(length));
    if (!stream)
        return {};
    // Packed frames hold the picture as it lay in memory, so it decodes back
    // without turning rows or exchanging red and blue.
    return tone == Tone::Grey ? DecodeJpegGrey(stream.get(), U32(length), JpegRows::AsStored)
                              : DecodeJpegColour(stream.get(), U32(length), JpegRows::AsStored);
}

PictureBuffer FlmCadre::BuildRaw(Tone tone) const
{
    const int storedBytes = colour_ ? 3 : 1;
    const int wantedBytes = tone == Tone::Colour ? 3 : 1;
    const int64_t pixels = int64_t(width_) * height_;
    // A record cut short by the end of the file gives no picture, and costs
    // no allocation at the header's size.
    if (pixels * storedBytes > file_.Remaining(dataOffset_))
        return {};
    PictureBuffer picture = PictureBuffer::allocate(width_, height_, wantedBytes);
    if (!picture)
        return {};
    if (storedBytes == wantedBytes) {
        // Straight into the picture: one read, no copy.
        if (!file_.ReadAt(dataOffset_, picture.bytes.get(), picture.byteCount()))
            return {};
        return picture;
    }
    const auto stored = ReadBlock(file_, dataOffset_, pixels * storedBytes);
    if (!stored)
        return {};
    const uint8_t* in = stored.get();
    uint8_t* out = picture.bytes.get();
    if (tone == Tone::Grey) {
        for (int64_t i = 0; i < pixels; ++i, in += 3)
            out[i] = uint8_t((in[0] + in[1] + in[2] + 1) / 3);
    } else {
        for (int64_t i = 0; i < pixels; ++i, out += 3)
            out[0] = out[1] = out[2] = in[i];
    }
    return picture;
}

FlmFilm::FlmFilm(const std::string& fileName) : file_(InputFile::Open(fileName))
{
    const std::optional<FlmHeader> header = file_ ? ReadFlmHeader(*file_) : std::nullopt;
    if (!header) {
        file_.reset();
        return;
    }
    const int64_t rawSize = int64_t(header->width) * header->height * (header->colour() ? 3 : 1);
    int64_t offset = header->firstRecord;
    // Only records that begin inside the file become frames, so a forged
    // frame count cannot make more frames than the file has bytes. A record
    // that starts inside but runs past the end gives no picture.
    for (int32_t i = 0; i < header->frameCount && offset < file_->Length(); ++i) {
        int32_t number = i;
        if (header->numbered()) {
            uint8_t stored[2];
            if (!file_->ReadAt(offset, stored, sizeof stored))
                break;
            number = stored[0] | stored[1] << 8;
            offset += 2;
        }
        int64_t recordSize = rawSize;
        if (header->packed) {
            uint8_t length[4];
            if (!file_->ReadAt(offset, length, sizeof length))
                break;
            recordSize = 4 + int64_t(U32(length));
        }
        InsertAfterCurrent(std::make_unique<FlmCadre>(number, *header, *file_, offset));
        offset += recordSize;
    }
    MakeFirstCurrent();
}

FilmPtr OpenFlmFilm(const std::string& fileName)
{
    return FilmWithFrames<FlmFilm>(fileName);
}

}  // namespace plexo
