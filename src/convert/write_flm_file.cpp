#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "film/flm_film.h"
#include "image/jpeg_codec.h"
#include "platform/atomic_file.h"

namespace plexo {

namespace {

constexpr uint32_t kColour = 1, kNumbered = 2, kExtension = 4;

void PutLE(uint8_t* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(v >> (8 * i));
}

bool WriteU32(platform::AtomicFile& file, uint32_t v)
{
    uint8_t bytes[4];
    PutLE(bytes, v);
    return file.write(bytes, 4);
}

// What the records written so far hold, for the header.
struct Records {
    int width = 0;
    int height = 0;
    uint32_t count = 0;
};

// Shapes and, for packed files, encodes a frame; the record goes out in
// frame order, where the size check against the first frame is made.
class FlmWork : public FrameWork {
public:
    FlmWork(platform::AtomicFile& file, const ConversionOptions& options, Records& records)
        : file_(file), options_(options), shaper_(options), records_(records)
    {
    }

    bool Make(const Picture& picture, int32_t) override
    {
        shaped_ = shaper_.Shaped(picture);
        if (!shaped_)
            return false;
        // The stream holds the picture as it lies in memory; the reader's
        // decoder gives it back the same way.
        return options_.compress != 1 || encoder_.Encode(shaped_, options_.quality, JpegRows::AsStored);
    }

    // A raw record is written from the shaped picture, which may be the
    // frame's own.
    bool HoldsPicture() const override { return options_.compress != 1; }

    bool Put(int32_t frameNumber) override
    {
        if (shaped_.width > FlmHeader::kMaxSide || shaped_.height > FlmHeader::kMaxSide)
            return false;
        if (records_.count > 0 && (shaped_.width != records_.width || shaped_.height != records_.height))
            return false;
        records_.width = shaped_.width;
        records_.height = shaped_.height;
        const uint16_t number = uint16_t(frameNumber);
        const uint8_t numberBytes[2] = {uint8_t(number), uint8_t(number >> 8)};
        if (!file_.write(numberBytes, 2))
            return false;
        if (options_.compress == 1) {
            if (!WriteU32(file_, uint32_t(encoder_.size())) || !file_.write(encoder_.data(), encoder_.size()))
                return false;
        } else if (!file_.write(shaped_.data, shaped_.byteCount())) {
            return false;
        }
        ++records_.count;
        return true;
    }

private:
    platform::AtomicFile& file_;
    const ConversionOptions& options_;
    FrameShaper shaper_;
    JpegEncoder encoder_;
    Picture shaped_;
    Records& records_;
};

}  // namespace

bool WriteFlmFile(Film* film, const std::string& fileName, const ConversionOptions& options,
                  const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    const bool packed = options.compress == 1;
    platform::AtomicFile file(fileName);
    const uint8_t placeholder[16] = {};
    if (!file.write(placeholder, sizeof placeholder))
        return false;
    if (packed && !(WriteU32(file, 4) && WriteU32(file, 1)))
        return false;

    // While this thread waits for the workers, the disk catches up with what
    // was put: the sync before the rename then waits only for the last few
    // megabytes. Frames that come faster than they are put, as raw ones do,
    // leave the whole sync to the end, where one wait costs less than many.
    constexpr uint64_t kSyncStep = 16 << 20;
    Records records;
    const bool whole = WalkFrames(
        *film, FrameShaper(options).tone(), control,
        [&] { return std::make_unique<FlmWork>(file, options, records); }, [&] { file.syncSoFar(kSyncStep); });
    if (!whole)
        return false;

    uint8_t header[16];
    PutLE(header, (options.colour ? kColour : 0u) | kNumbered | (packed ? kExtension : 0u));
    PutLE(header + 4, records.count);
    PutLE(header + 8, uint32_t(records.width));
    PutLE(header + 12, uint32_t(records.height));
    return file.writeAt(0, header, sizeof header) && file.commit();
}

}  // namespace plexo
