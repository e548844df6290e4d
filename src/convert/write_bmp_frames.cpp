#include <optional>

#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "doc/write_bmp_file.h"

namespace plexo {

namespace {

// The file is written and synced to the disk by Make, on a worker; Put only
// gives it its name, in frame order. The folder is synced once, after the
// last frame.
class BmpWork : public FrameWork {
public:
    BmpWork(const std::string& base, const ConversionOptions& options, RunOutputNames& names)
        : base_(base), shaper_(options), names_(names)
    {
    }

    bool Make(const Picture& picture, int32_t number) override
    {
        const Picture shaped = shaper_.ShapedBitmap(picture);
        if (!shaped)
            return false;
        fileName_ = FrameFileName(base_, number, ".bmp");
        file_.emplace(fileName_);
        return WriteBmpInto(*file_, BitmapHeaderFor(shaped).data(), shaped.data) && file_->sync();
    }

    bool Put(int32_t) override
    {
        const bool written =
            file_ && names_.Claim(fileName_) && file_->commit(platform::AtomicFile::Folder::LeaveToCaller);
        file_.reset();
        return written;
    }

private:
    const std::string& base_;
    FrameShaper shaper_;
    RunOutputNames& names_;
    std::string fileName_;
    std::optional<platform::AtomicFile> file_;
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
