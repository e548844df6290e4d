#pragma once
// An FFmpeg output over a file replaced only when whole: the muxer writes
// and seeks back (to patch sizes and indexes) as it would on a plain file,
// while the bytes go to the atomic file's temporary, which takes the final
// name only at commit().

#include <memory>
#include <string>

#include "platform/atomic_file.h"

struct AVIOContext;

namespace plexo::video {

class AtomicOutput {
public:
    explicit AtomicOutput(std::string path);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // Null when the temporary file or FFmpeg's buffer could not be had.
    AVIOContext* context() const { return context_; }
    // Flushes FFmpeg's buffer and makes the file final; false when anything
    // failed, and then the older file of the name stays.
    bool commit();

private:
    static int Write(void* opaque, uint8_t* data, int size);
    static int64_t Seek(void* opaque, int64_t offset, int whence);

    platform::AtomicFile file_;
    AVIOContext* context_ = nullptr;
    // Where the muxer writes next, and how far the file reaches.
    uint64_t position_ = 0;
    uint64_t size_ = 0;
};

}  // namespace plexo::video
