#include <optional>

#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "film/jpeg_codec.h"
#include "platform/atomic_file.h"

namespace plexo {

namespace {

// The file is written and synced to the disk by Make, on a worker; Put only
// gives it its name, in frame order. The folder is synced once, after the
// last frame.
class JpgWork : public FrameWork {
public:
    JpgWork(const std::string& base, const ConversionOptions& options, RunOutputNames& names)
        : base_(base), quality_(options.quality), shaper_(options), names_(names)
    {
    }

    // The library reads the picture's rows bottom first and its colour bytes
    // blue first itself, so no turned or swapped copy is made.
    bool Make(const Picture& picture, int32_t number) override
    {
        if (!encoder_.Encode(shaper_.Shaped(picture), quality_, JpegRows::Picture))
            return false;
        fileName_ = FrameFileName(base_, number, ".jpg");
        file_.emplace(fileName_);
        return file_->write(encoder_.data(), encoder_.size()) && file_->sync();
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
    int quality_;
    FrameShaper shaper_;
    RunOutputNames& names_;
    JpegEncoder encoder_;
    std::string fileName_;
    std::optional<platform::AtomicFile> file_;
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
