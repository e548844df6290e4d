#include "convert/frame_file_work.h"

namespace plexo {

platform::AtomicFile& FrameFileWork::StartFile(int32_t number)
{
    fileName_ = FrameFileName(base_, number, extension_);
    return file_.emplace(fileName_);
}

bool FrameFileWork::Put(int32_t)
{
    const bool written =
        file_ && names_.Claim(fileName_) && file_->commit(platform::AtomicFile::Folder::LeaveToCaller);
    file_.reset();
    return written;
}

}  // namespace plexo
