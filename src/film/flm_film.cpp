#include "film/flm_film.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "film/factories.h"
#include "film/grey_pixels.h"
#include "image/jpeg_codec.h"

namespace plexo {

namespace {

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// The smallest stream a JPEG decoder accepts: start of image, one
// quantisation table, a frame header and a scan header for one component,
// end of image (the decoder supplies standard Huffman tables).
constexpr uint32_t kSmallestJpeg = 2 + 69 + 13 + 10 + 2;

// A run of this many records in a row too short for any JPEG is a forged
// file, not a film: no writer makes them, and a sparse file of zeros would
// otherwise be walked four bytes at a time to its end.
constexpr uint32_t kMostShortRecordsInARow = 1u << 20;

// Reads the few bytes of consecutive records' fields through one block, so
// that a film of many small records opens with few system calls. The block
// starts at a page, so a large record costs no more than a read of its length
// field would, and grows while each block serves many fields, so that a run
// of tiny records is read in large blocks without reading much more than the
// records themselves.
class FieldReader {
public:
    explicit FieldReader(const InputFile& file) : file_(file) {}

    bool Read(int64_t offset, uint8_t* into, size_t size)
    {
        if (offset < start_ || offset + int64_t(size) > start_ + filled_) {
            blockSize_ = served_ >= kFieldsToGrow ? std::min(blockSize_ * 4, kLargestBlock) : kPage;
            block_.resize(blockSize_);
            const int64_t want = std::min<int64_t>(int64_t(blockSize_), file_.Remaining(offset));
            if (want < int64_t(size) || !file_.ReadAt(offset, block_.data(), size_t(want)))
                return false;
            start_ = offset;
            filled_ = want;
            served_ = 0;
        }
        std::memcpy(into, block_.data() + (offset - start_), size);
        ++served_;
        return true;
    }

private:
    static constexpr size_t kPage = 4096;
    static constexpr size_t kLargestBlock = 1 << 20;
    // A block that served this many fields held records of at most a 256th
    // of its size each.
    static constexpr unsigned kFieldsToGrow = 256;

    const InputFile& file_;
    std::vector<uint8_t> block_;
    size_t blockSize_ = kPage;
    unsigned served_ = 0;
    int64_t start_ = 0;
    int64_t filled_ = 0;
};

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
    if (tone == Tone::Grey)
        return ReadColourAsGrey(file_, dataOffset_, picture.bytes.get(), size_t(pixels)) ? std::move(picture)
                                                                                          : PictureBuffer{};
    const auto stored = ReadBlock(file_, dataOffset_, pixels);
    if (!stored)
        return {};
    const uint8_t* in = stored.get();
    uint8_t* out = picture.bytes.get();
    for (int64_t i = 0; i < pixels; ++i, out += 3)
        out[0] = out[1] = out[2] = in[i];
    return picture;
}

FlmFilm::FlmFilm(const std::string& fileName) : file_(InputFile::Open(fileName))
{
    const std::optional<FlmHeader> header = file_ ? ReadFlmHeader(*file_) : std::nullopt;
    if (!header) {
        file_.reset();
        return;
    }
    header_ = *header;
    stride_ = int64_t(header_.width) * header_.height * (header_.colour() ? 3 : 1) + (header_.numbered() ? 2 : 0);
    // A file too large for this machine's memory to index has no frames,
    // rather than an exception out of the reader.
    try {
        FindRecords();
    } catch (const std::bad_alloc&) {
        count_ = 0;
        offsets_ = {};
        numbers_ = {};
    }
    MakeFirstCurrent();
}

// Only records that begin inside the file become frames, so a forged frame
// count cannot make more frames than the file has bytes. A record that starts
// inside but runs past the end gives no picture.
void FlmFilm::FindRecords()
{
    const int64_t fileLength = file_->Length();
    const int64_t space = fileLength - header_.firstRecord;
    if (!header_.packed && !header_.numbered()) {
        count_ = size_t(std::min<int64_t>(header_.frameCount, (space + stride_ - 1) / stride_));
        cut_ = int64_t(count_) * stride_ > space;
        return;
    }
    const int64_t smallest = header_.packed ? 4 + kSmallestJpeg + (header_.numbered() ? 2 : 0) : stride_;
    const size_t most = size_t(std::min<int64_t>(header_.frameCount, space / smallest + 1));
    numbers_.reserve(most);
    if (header_.packed)
        offsets_.reserve(most);
    FieldReader fields(*file_);
    int64_t offset = header_.firstRecord;
    uint32_t shortInARow = 0;
    for (int32_t i = 0; i < header_.frameCount && offset < fileLength; ++i) {
        int32_t number = i;
        if (header_.numbered()) {
            uint8_t stored[2];
            if (!fields.Read(offset, stored, sizeof stored)) {
                cut_ = true;
                break;
            }
            number = stored[0] | stored[1] << 8;
            offset += 2;
        }
        int64_t recordSize = stride_ - (header_.numbered() ? 2 : 0);
        if (header_.packed) {
            uint8_t length[4];
            if (!fields.Read(offset, length, sizeof length)) {
                cut_ = true;
                break;
            }
            const uint32_t streamLength = U32(length);
            recordSize = 4 + int64_t(streamLength);
            // A stream shorter than any JPEG cannot be a picture; passing it
            // over keeps a run of empty records from costing a frame each.
            if (streamLength < kSmallestJpeg) {
                if (++shortInARow == kMostShortRecordsInARow)
                    break;
                offset += recordSize;
                continue;
            }
            shortInARow = 0;
            offsets_.push_back(offset);
        }
        numbers_.push_back(number);
        offset += recordSize;
    }
    count_ = numbers_.size();
    cut_ = cut_ || offset > fileLength;
}

int64_t FlmFilm::DataOffset(size_t index) const
{
    if (header_.packed)
        return offsets_[index];
    return header_.firstRecord + int64_t(index) * stride_ + (header_.numbered() ? 2 : 0);
}

int32_t FlmFilm::NumberAt(size_t index) const
{
    return numbers_.empty() ? int32_t(index) : numbers_[index];
}

Cadre& FlmFilm::CadreAt(size_t index)
{
    std::unique_ptr<FlmCadre>& made = made_[index];
    if (!made)
        made = std::make_unique<FlmCadre>(NumberAt(index), header_, *file_, DataOffset(index));
    return *made;
}

FilmPtr OpenFlmFilm(const std::string& fileName, const LayoutChoice&)
{
    return FilmWithFrames<FlmFilm>(fileName);
}

}  // namespace plexo
