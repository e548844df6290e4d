#pragma once
// A film of two views: its current picture is the first (left) eye of the
// current frame, its partner picture the second (right) eye of the frame
// `shift` frames on, so with the shift at 0 (the default) both eyes are of
// the same moment and the shift is the eye offset of rigs whose cameras
// started apart. Stepping follows the rules of every film (film/frame_cursor.h).
//
// Each eye is a view into the decoded picture, not a copy, but for a half
// layout, whose eyes are stretched once to the shape they are seen at, so
// that every output shows them alike; the grey of an eye
// (red-blue asks for it) is made from the colour eye once and kept with the
// frame. Decoded frames stay within the picture budget shared by all films
// (film/picture_budget.h), and ReleasePictures lets them all go.

#include <memory>
#include <unordered_map>
#include <vector>

#include "film/cursor_film.h"
#include "film/film.h"
#include "film/frame_source.h"
#include "film/picture_budget.h"

namespace plexo {

class TwoViewFilm : public CursorFilm {
public:
    // `layout` splits the source's whole pictures; it is what `Layout` says.
    TwoViewFilm(std::unique_ptr<FrameSource> source, SourceLayout layout);

    Picture PictureView(Eye eye, Tone tone) override;

    int32_t FrameNumber() const override;
    int32_t PartnerNumber() const override;
    int32_t FrameCount() const override { return source_->Count(); }
    void ReleasePictures() override;
    int32_t Position() const override;
    bool Seek(int32_t position) override;
    int32_t Skip(int32_t steps) override;
    FilmFacts Facts() const override;
    std::string SourceFile(Eye eye) override;

    FrameSource& source() { return *source_; }
    // What the file says of its cameras, and the D it asks for.
    void SetSpatial(SpatialFacts spatial, std::optional<int32_t> dist)
    {
        spatial_ = std::move(spatial);
        statedDist_ = dist;
    }

private:
    struct Kept {
        SourceFrame frame;
        EyeViews eyes;
        PictureBuffer grey[2];
        // A half layout's eyes stretched to their shown shape.
        PictureBuffer full[2];
    };

    size_t Count() const { return size_t(source_->Count() > 0 ? source_->Count() : 0); }
    // The cursor held inside a source that has fallen short since it moved.
    size_t Current() const;
    Kept* Frame(size_t index);
    // Packed copies of the views, for callers of the raw operations.
    const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height) override;

    std::unique_ptr<FrameSource> source_;
    SourceLayout layout_;
    SpatialFacts spatial_;
    std::optional<int32_t> statedDist_;
    std::unordered_map<size_t, Kept> frames_;
    KeptPictures kept_{[this](size_t index) { frames_.erase(index); }};
    std::vector<uint8_t> packed_[2];
};

}  // namespace plexo
