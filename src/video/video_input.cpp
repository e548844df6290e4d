#include "video/video_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "image/input_file.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace plexo::video {

namespace {

// FFmpeg's buffer between the reader and the demuxer.
constexpr int kBufferSize = 64 * 1024;

// The demuxers of the containers of the video rows of the table of file
// formats (video_formats.cpp), by the names FFmpeg gives them.
constexpr std::string_view kContainers[] = {"mov,mp4,m4a,3gp,3g2,mj2", "matroska,webm", "avi"};

// Demuxers whose files list other files to read.
constexpr std::string_view kPlaylists[] = {"hls", "concat", "dash", "imf", "webm_dash_manifest"};

bool Listed(std::string_view name, const auto& list)
{
    return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

// The containers as one list, the form FFmpeg's format_whitelist takes.
std::string ContainerList()
{
    std::string list;
    for (const std::string_view name : kContainers)
        list.append(list.empty() ? "" : ",").append(name);
    return list;
}

// The position a seek counts its offset from, as lseek's `whence` says; -1
// for a `whence` it does not know.
int64_t SeekBase(int whence, int64_t at, int64_t size)
{
    return whence == SEEK_SET ? 0 : whence == SEEK_CUR ? at : whence == SEEK_END ? size : -1;
}

// A regular file, read as the film readers read theirs.
class FileReader final : public ByteReader {
public:
    explicit FileReader(InputFile file) : file_(std::move(file)) {}

    int Read(uint8_t* into, int size) override
    {
        // A read error ends the bytes as the end of the file does.
        const size_t n = file_.Read(into, size_t(std::max(size, 0)));
        return n > 0 ? int(n) : AVERROR_EOF;
    }

    int64_t Seek(int64_t offset, int whence) override
    {
        const int64_t from = SeekBase(whence, file_.Position(), file_.Length());
        if (from < 0 || offset < -from)
            return AVERROR(EINVAL);
        file_.Seek(from + offset);
        return from + offset;
    }

    int64_t Size() override { return file_.Length(); }

private:
    InputFile file_;
};

class BytesReader final : public ByteReader {
public:
    BytesReader(const uint8_t* data, size_t size) : data_(data), size_(int64_t(size)) {}

    int Read(uint8_t* into, int size) override
    {
        const int64_t n = std::min<int64_t>(std::max(size, 0), size_ - at_);
        if (n <= 0)
            return AVERROR_EOF;
        std::memcpy(into, data_ + at_, size_t(n));
        at_ += n;
        return int(n);
    }

    int64_t Seek(int64_t offset, int whence) override
    {
        const int64_t from = SeekBase(whence, at_, size_);
        if (from < 0 || offset < -from || offset > size_ - from)
            return AVERROR(EINVAL);
        return at_ = from + offset;
    }

    int64_t Size() override { return size_; }

private:
    const uint8_t* data_;
    int64_t size_;
    int64_t at_ = 0;
};

int ReadPacket(void* opaque, uint8_t* into, int size)
{
    return static_cast<ByteReader*>(opaque)->Read(into, size);
}

int64_t SeekTo(void* opaque, int64_t offset, int whence)
{
    auto* reader = static_cast<ByteReader*>(opaque);
    whence &= ~AVSEEK_FORCE;
    return whence == AVSEEK_SIZE ? reader->Size() : reader->Seek(offset, whence);
}

// The demuxer's way to open a file named inside the one it reads: none is.
int RefuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

// Frees the I/O context, the buffer FFmpeg may have put in place of the one
// it was given, and the reader.
struct IoFreer {
    void operator()(AVIOContext* io) const
    {
        if (!io)
            return;
        delete static_cast<ByteReader*>(io->opaque);
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

}  // namespace

std::unique_ptr<ByteReader> MemoryReader(const uint8_t* data, size_t size)
{
    return std::make_unique<BytesReader>(data, size);
}

void InputCloser::operator()(AVFormatContext* format) const
{
    AVIOContext* io = format->pb;
    avformat_close_input(&format);
    IoFreer()(io);
}

InputHandle OpenVideoInput(std::unique_ptr<ByteReader> reader, const std::string& name, std::string& why)
{
    QuietLibraries();
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    std::unique_ptr<AVIOContext, IoFreer> io(
        buffer ? avio_alloc_context(buffer, kBufferSize, 0, reader.get(), ReadPacket, nullptr, SeekTo) : nullptr);
    if (!io) {
        av_free(buffer);
        why = "out of memory";
        return nullptr;
    }
    // The I/O context owns the reader from here on.
    reader.release();
    // The container is known before the demuxer reads its header: a
    // playlist's reads its list and opens what it names.
    const AVInputFormat* container = nullptr;
    if (const int error = av_probe_input_buffer2(io.get(), &container, name.c_str(), nullptr, 0, 0); error < 0) {
        why = ErrorText(error);
        return nullptr;
    }
    if (Listed(container->name, kPlaylists)) {
        why = "a playlist";
        return nullptr;
    }
    if (!Listed(container->name, kContainers)) {
        why = std::string("its container, ") + container->name + ", is not MP4, QuickTime, Matroska, WebM or AVI";
        return nullptr;
    }
    AVFormatContext* format = avformat_alloc_context();
    if (!format) {
        why = "out of memory";
        return nullptr;
    }
    format->pb = io.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    format->io_open = RefuseOpen;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", ContainerList().c_str(), 0);
    // Frees the context when it fails, leaving the I/O context.
    const int error = avformat_open_input(&format, name.c_str(), container, &options);
    av_dict_free(&options);
    if (error < 0) {
        why = ErrorText(error);
        return nullptr;
    }
    io.release();
    return InputHandle(format);
}

InputHandle OpenVideoInputFile(const std::string& path, std::string& why)
{
    std::optional<InputFile> file = InputFile::Open(path, &why);
    if (!file)
        return nullptr;
    return OpenVideoInput(std::make_unique<FileReader>(std::move(*file)), path, why);
}

}  // namespace plexo::video
