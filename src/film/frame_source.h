#pragma once
// What a two-view film reads its frames from: a still-picture source (MPO,
// JPS, a side-by-side JPEG or BMP run) or a video. The source decodes; the
// film splits, keeps, greys and steps.

#include <cstdint>
#include <memory>
#include <string>

#include "image/picture.h"

namespace plexo {

// The colour pictures (3 bytes a pixel) of one frame. Either `picture` is the
// whole picture, which the film's layout splits into the eyes, or the source
// stores the eyes apart (MPO) and `picture` is the first eye and `second` the
// second.
struct SourceFrame {
    // Holds the bytes the views point into (a still's decoded buffers, a
    // video's decoded frame) for as long as the film keeps the frame.
    std::shared_ptr<const void> owner;
    Picture picture;
    Picture second;
};

class FrameSource {
public:
    virtual ~FrameSource() = default;

    // Frames in play order. It may fall once frames turn out to end early (a
    // video cut short), never rise.
    virtual int32_t Count() const = 0;
    // The number the film shows for frame `index`: by default its place from
    // 1; a numbered file's digits for a run of files.
    virtual int32_t NumberAt(int32_t index) const { return index + 1; }
    // The pictures of frame `index` (0 <= index < Count()). False when they
    // cannot be had; the source has told the user why, once.
    virtual bool Decode(int32_t index, SourceFrame& frame) = 0;
    // Frames a second and playing time in seconds; 0 when the source states
    // none.
    virtual double FrameRate() const { return 0; }
    virtual double Duration() const { return 0; }
    // The file frame `index` is read from; empty for a source of one file.
    virtual std::string FileAt(int32_t) const { return {}; }
    // The film's cursor is now at `index`: a source that decodes ahead may
    // start on the frames around it.
    virtual void Moved(int32_t index) { (void)index; }
};

}  // namespace plexo
