#pragma once
// The common film over one source (a numbered BMP or JPEG sequence, or one
// .flm file): frames in play order with a cursor, the partner walk and the
// stepping rules of round, shift and invert.

#include <memory>
#include <utility>
#include <vector>

#include "film/cadre.h"
#include "film/cursor_film.h"
#include "film/film.h"
#include "film/picture_budget.h"

namespace plexo {

// What every single-source factory does: build the film and hand it out only
// when it found at least one frame.
template <class F, class... Args>
FilmPtr FilmWithFrames(Args&&... args)
{
    auto film = std::make_unique<F>(std::forward<Args>(args)...);
    if (film->FrameCount() < 1)
        return nullptr;
    return film;
}

class MSFilm : public CursorFilm {
public:
    const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height) override;
    int32_t FrameNumber() const override;
    int32_t PartnerNumber() const override;
    int32_t FrameCount() const override { return int32_t(Count()); }
    void ReleasePictures() final;
    int32_t Position() const override { return Count() == 0 ? -1 : int32_t(cursor_.current); }
    bool Seek(int32_t position) override { return cursor_.Seek(position, Count()); }
    int32_t Skip(int32_t steps) override { return cursor_.Skip(steps, Count()); }
    FilmFacts Facts() const override { return {.layout = layout_}; }
    std::string SourceFile(Eye eye) override;
    // What Layout says: a single view, as the file or the user has it.
    void SetLayout(const SourceLayout& layout) { layout_ = layout; }

    // For a walk that builds frames' pictures on other threads while the
    // cursor moves on this one: the current frame's object, and the release
    // of a frame's picture once it is done with. Frames are independent of
    // each other, so different frames may build their pictures at once; these
    // two calls stay on the cursor's thread.
    Cadre* CurrentFrame() { return Count() == 0 ? nullptr : &CadreAt(cursor_.current); }
    void ReleaseFrame(size_t index);

protected:
    // The frames in play order: by default those appended below. A film whose
    // frames follow from its file's layout keeps them its own way and makes
    // a frame's object only when its picture is asked for.
    virtual size_t Count() const { return frames_.size(); }
    virtual int32_t NumberAt(size_t index) const { return frames_[index]->number; }
    virtual Cadre& CadreAt(size_t index) { return *frames_[index]; }
    // Takes the pictures of one frame or of all frames away.
    virtual void DropPicture(size_t index) { frames_[index]->ReleasePicture(); }
    virtual void DropAllPictures();

    // Building a film: append frames in the order they are found, sort them by
    // number if the source does not store them in play order, then start at
    // the first.
    void InsertAfterCurrent(std::unique_ptr<Cadre> frame);
    void SortByNumber();
    void MakeFirstCurrent() { cursor_.current = 0; }

private:
    // The frame's picture; every picture handed out counts as shown for the
    // picture budget. Only for a film with frames.
    const uint8_t* Shown(size_t index, Tone tone, int32_t& width, int32_t& height);

    KeptPictures kept_{[this](size_t index) { DropPicture(index); }};
    std::vector<std::unique_ptr<Cadre>> frames_;
    SourceLayout layout_;
};

}  // namespace plexo
