#pragma once
// The part of a frame writer's work that is the same for every format with a
// file a frame: Make writes the frame under a temporary name and sets the
// disk writing it on a worker; Put waits for it to reach the disk, claims the
// frame's name and renames the file, in frame order. The folder is synced
// once, after the last frame, by the writer. A frame never put leaves no file.

#include <optional>
#include <string>

#include "convert/frame_walk.h"
#include "convert/output_names.h"
#include "platform/atomic_file.h"

namespace plexo {

class FrameFileWork : public FrameWork {
public:
    FrameFileWork(const std::string& base, const char* extension, RunOutputNames& names)
        : base_(base), extension_(extension), names_(names)
    {
    }

    bool Put(int32_t number) override;

protected:
    // A new temporary file for the frame numbered `number`; the one before,
    // if never put, is dropped.
    platform::AtomicFile& StartFile(int32_t number);
    // The name the frame numbered `number` is written under.
    std::string FileNameOf(int32_t number) const { return FrameFileName(base_, number, extension_); }

private:
    const std::string& base_;
    const char* extension_;
    RunOutputNames& names_;
    std::string fileName_;
    std::optional<platform::AtomicFile> file_;
};

}  // namespace plexo
