#pragma once
// The frame source of still pictures, one file a frame: a run of MPO or JPS
// files, or a numbered JPEG or BMP sequence whose pictures hold both eyes.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "film/film.h"
#include "film/frame_source.h"
#include "film/numbered_sequence.h"

namespace plexo {

// Fills `frame` with the colour picture(s) of one file; false when there are
// none, after telling the user where the reader does.
using StillDecoder = std::function<bool(const std::string& path, SourceFrame& frame)>;

class StillSource : public FrameSource {
public:
    // `opened`, when given, is frame 0 decoded already (to learn what the
    // film is); it is handed out once instead of decoding the file again.
    StillSource(std::vector<SequenceFile> files, StillDecoder decode, std::optional<SourceFrame> opened = {});

    int32_t Count() const override { return int32_t(files_.size()); }
    int32_t NumberAt(int32_t index) const override { return files_[size_t(index)].number; }
    bool Decode(int32_t index, SourceFrame& frame) override;
    std::string FileAt(int32_t index) const override { return files_[size_t(index)].path; }

private:
    std::vector<SequenceFile> files_;
    StillDecoder decode_;
    std::optional<SourceFrame> opened_;
};

// A frame that owns its one whole picture; no frame for a null buffer.
bool WholeFrame(PictureBuffer picture, SourceFrame& frame);

// The two-view film of `files`, each file's picture split by `layout`; null
// without files.
FilmPtr StillTwoViewFilm(std::vector<SequenceFile> files, StillDecoder decode, SourceLayout layout);

// The film of `files`, a frame a file: two views when `layout` holds two,
// else one view of FrameT frames, built from (number, path). Null without
// files.
template <class FrameT>
FilmPtr StillFilm(std::vector<SequenceFile> files, StillDecoder decode, const SourceLayout& layout)
{
    if (files.empty())
        return nullptr;
    if (!layout.layout.mono())
        return StillTwoViewFilm(std::move(files), std::move(decode), layout);
    auto film = std::make_unique<NumberedFilm<FrameT>>(std::move(files));
    film->SetLayout(layout);
    return film;
}

}  // namespace plexo
