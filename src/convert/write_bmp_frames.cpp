#include "convert/frame_file_work.h"
#include "convert/frame_shaper.h"
#include "convert/frame_writers.h"
#include "image/write_bmp_file.h"
#include "platform/failure_note.h"

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
        if (!shaped) {
            // A bitmap frame's width is cut to a multiple of 4, which may
            // leave nothing of a narrow picture.
            if (picture)
                platform::NoteFailure(FileNameOf(number), "a picture of " + std::to_string(picture.width) + " x " +
                                                              std::to_string(picture.height) +
                                                              " pixels leaves no BMP frame, whose width is cut to a "
                                                              "multiple of 4");
            return false;
        }
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
