#pragma once
// Where a video's bytes come from, and the demuxer over them. Every byte the
// video layer reads comes through a reader of ours: FFmpeg gets no way to
// open a file, so a playlist or a container that names other files cannot
// make it read them, and the one file it reads is opened as only a regular
// file is, without blocking (a FIFO would wait for a writer for ever, a
// device would never end).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "video/av_handles.h"

namespace plexo::video {

// A source of bytes that can seek.
class ByteReader {
public:
    virtual ~ByteReader() = default;
    // Up to `size` bytes from the position, which moves past them: their
    // count, AVERROR_EOF at the end, another AVERROR on failure.
    virtual int Read(uint8_t* into, int size) = 0;
    // `whence` as lseek's; the new position, or an AVERROR.
    virtual int64_t Seek(int64_t offset, int whence) = 0;
    // The byte count, or an AVERROR.
    virtual int64_t Size() = 0;
};

// Bytes in memory that outlive the reader; nothing is copied.
std::unique_ptr<ByteReader> MemoryReader(const uint8_t* data, size_t size);

// Closes the demuxer, then frees the I/O context and the reader it read
// through.
struct InputCloser {
    void operator()(AVFormatContext* format) const;
};
using InputHandle = std::unique_ptr<AVFormatContext, InputCloser>;

// The demuxer of the reader's bytes, `name` naming them to FFmpeg; null with
// `why` set when they hold no container of the table of file formats (MP4
// and QuickTime, Matroska and WebM, AVI): "a playlist" for those that list
// other files.
InputHandle OpenVideoInput(std::unique_ptr<ByteReader> reader, const std::string& name, std::string& why);
// The same over the file at `path`; "not a regular file" for anything else,
// which is not read.
InputHandle OpenVideoInputFile(const std::string& path, std::string& why);

}  // namespace plexo::video
