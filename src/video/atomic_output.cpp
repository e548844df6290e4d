#include "video/atomic_output.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace plexo::video {

namespace {

// FFmpeg's buffer between the muxer and the file; the atomic file buffers
// again, so a small one does.
constexpr int kBufferSize = 64 * 1024;

}  // namespace

AtomicOutput::AtomicOutput(std::string path) : file_(std::move(path))
{
    if (!file_.ok())
        return;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (!buffer)
        return;
    context_ = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, Write, Seek);
    if (!context_)
        av_free(buffer);
}

AtomicOutput::~AtomicOutput()
{
    if (context_)
        av_freep(&context_->buffer);
    avio_context_free(&context_);
}

bool AtomicOutput::commit()
{
    if (!context_)
        return false;
    avio_flush(context_);
    return context_->error == 0 && file_.commit();
}

int AtomicOutput::Write(void* opaque, uint8_t* data, int size)
{
    auto* self = static_cast<AtomicOutput*>(opaque);
    if (size < 0)
        return AVERROR(EINVAL);
    // A write after a seek back overwrites what lies there; whatever goes
    // past the end is appended.
    const uint64_t over = std::min<uint64_t>(uint64_t(size), self->size_ - self->position_);
    if (over > 0 && !self->file_.writeAt(self->position_, data, size_t(over)))
        return AVERROR(EIO);
    if (uint64_t(size) > over) {
        if (!self->file_.write(data + over, size_t(uint64_t(size) - over)))
            return AVERROR(EIO);
        self->size_ += uint64_t(size) - over;
    }
    self->position_ += uint64_t(size);
    return size;
}

int64_t AtomicOutput::Seek(void* opaque, int64_t offset, int whence)
{
    auto* self = static_cast<AtomicOutput*>(opaque);
    int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return int64_t(self->size_);
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = int64_t(self->position_) + offset;
        break;
    case SEEK_END:
        target = int64_t(self->size_) + offset;
        break;
    default:
        return AVERROR(EINVAL);
    }
    // A hole past the end would need bytes the muxer never wrote.
    if (target < 0 || uint64_t(target) > self->size_)
        return AVERROR(EINVAL);
    self->position_ = uint64_t(target);
    return target;
}

}  // namespace plexo::video
