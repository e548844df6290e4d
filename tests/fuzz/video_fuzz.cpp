// The video layer over bytes in memory, opened as a file is: the check of
// the container, the demuxer, the decoder, a few frames converted, a seek
// and a few more frames.
#include "fuzz_input.h"
#include "video/frame_converter.h"
#include "video/video_file.h"

namespace {

// A stream of larger frames is refused, and the decoder refuses a frame of
// more pixels than a square this size before making room for it.
constexpr int kMaxSide = 512;

void Decode(plexo::video::VideoFile& file, plexo::video::FrameConverter& converter, int calls)
{
    using namespace plexo;
    volatile unsigned sink = 0;
    video::FrameHandle frame;
    for (int i = 0; i < calls; ++i) {
        const video::Decoded got = file.Next(frame);
        if (got == video::Decoded::End)
            return;
        if (got == video::Decoded::Damaged) {
            if (file.DamageText().empty())
                __builtin_trap();
            continue;
        }
        const PictureBuffer picture = converter.Convert(*frame, i % 2 ? Tone::Grey : Tone::Colour);
        if (picture)
            sink = sink + fuzz::Touch(picture.bytes.get(), picture.width, picture.height, picture.bytesPerPixel);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::video;
    std::string why;
    std::unique_ptr<VideoFile> file =
        VideoFile::Open(OpenVideoInput(MemoryReader(data, size), "input", why), why, kMaxSide);
    if (!file) {
        if (why.empty())
            __builtin_trap();
        return 0;
    }
    FrameConverter converter(file->Orienting());
    Decode(*file, converter, 4);
    // A time the input picks, in the stream's time base.
    const int64_t time = file->FirstTime() + (size ? data[size / 2] : 0) * 97;
    file->SeekBefore(time);
    Decode(*file, converter, 4);
    return 0;
}
