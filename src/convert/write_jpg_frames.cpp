#include "convert/frame_file_work.h"
#include "convert/frame_shaper.h"
#include "convert/frame_writers.h"
#include "image/jpeg_codec.h"

namespace plexo {

namespace {

class JpgWork : public FrameFileWork {
public:
    JpgWork(const std::string& base, const ConversionOptions& options, RunOutputNames& names)
        : FrameFileWork(base, ".jpg", names), quality_(options.quality), shaper_(options)
    {
    }

    // The library reads the picture's rows bottom first and its colour bytes
    // blue first itself, so no turned or swapped copy is made.
    bool Make(const Picture& picture, int32_t number) override
    {
        if (!encoder_.Encode(shaper_.Shaped(picture), quality_, JpegRows::Picture))
            return false;
        platform::AtomicFile& file = StartFile(number);
        return file.write(encoder_.data(), encoder_.size()) && file.startSync();
    }

private:
    int quality_;
    FrameShaper shaper_;
    JpegEncoder encoder_;
};

}  // namespace

bool WriteJpgFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    RunOutputNames names;
    return WalkFrames(*film, FrameShaper(options).tone(), control,
                      [&] { return std::make_unique<JpgWork>(base, options, names); }) &&
           platform::SyncFolderOf(base);
}

}  // namespace plexo
