#include "convert/frame_file_work.h"
#include "convert/frame_shaper.h"
#include "convert/frame_writers.h"
#include "image/write_bmp_file.h"

namespace plexo {

namespace {

class BmpWork : public FrameFileWork {
public:
    BmpWork(const std::string& base, const ConversionOptions& options, RunOutputNames& names)
        : FrameFileWork(base, ".bmp", names), shaper_(options)
    {
    }

    bool Make(const Picture& picture, int32_t number) override
    {
        const Picture shaped = shaper_.ShapedBitmap(picture);
        if (!shaped)
            return false;
        platform::AtomicFile& file = StartFile(number);
        return WriteBmpInto(file, BitmapHeaderFor(shaped).data(), shaped.data) && file.startSync();
    }

private:
    FrameShaper shaper_;
};

}  // namespace

bool WriteBmpFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    RunOutputNames names;
    return WalkFrames(*film, FrameShaper(options).tone(), control,
                      [&] { return std::make_unique<BmpWork>(base, options, names); }) &&
           platform::SyncFolderOf(base);
}

}  // namespace plexo
