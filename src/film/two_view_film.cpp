#include "film/two_view_film.h"

#include <algorithm>

#include "film/grey_pixels.h"
#include "image/unsqueeze.h"

namespace plexo {

namespace {

size_t KeptBytes(const SourceFrame& frame, const PictureBuffer (&grey)[2], const PictureBuffer (&full)[2])
{
    return frame.picture.byteCount() + frame.second.byteCount() + grey[0].byteCount() + grey[1].byteCount() +
           full[0].byteCount() + full[1].byteCount();
}

}  // namespace

TwoViewFilm::TwoViewFilm(std::unique_ptr<FrameSource> source, SourceLayout layout)
    : source_(std::move(source)), layout_(layout)
{
}

size_t TwoViewFilm::Current() const
{
    const size_t count = Count();
    return count == 0 ? 0 : std::min(cursor_.current, count - 1);
}

int32_t TwoViewFilm::Position() const
{
    return Count() == 0 ? -1 : int32_t(Current());
}

FilmFacts TwoViewFilm::Facts() const
{
    return {.frameRate = source_->FrameRate(),
            .duration = source_->Duration(),
            .eyes = 2,
            .layout = layout_,
            .spatial = spatial_,
            .statedDist = statedDist_};
}

int32_t TwoViewFilm::FrameNumber() const
{
    return Count() == 0 ? -1 : source_->NumberAt(int32_t(Current()));
}

int32_t TwoViewFilm::PartnerNumber() const
{
    if (Count() == 0)
        return -1;
    return source_->NumberAt(int32_t(cursor_.PartnerOf(Current(), Count())));
}

std::string TwoViewFilm::SourceFile(Eye eye)
{
    if (Count() == 0)
        return {};
    return source_->FileAt(int32_t(eye == Eye::Current ? Current() : cursor_.PartnerOf(Current(), Count())));
}

bool TwoViewFilm::Seek(int32_t position)
{
    const bool moved = cursor_.Seek(position, Count());
    if (moved)
        source_->Moved(int32_t(cursor_.current));
    return moved;
}

int32_t TwoViewFilm::Skip(int32_t steps)
{
    cursor_.current = Current();
    const int32_t made = cursor_.Skip(steps, Count());
    if (made > 0)
        source_->Moved(int32_t(cursor_.current));
    return made;
}

TwoViewFilm::Kept* TwoViewFilm::Frame(size_t index)
{
    if (const auto found = frames_.find(index); found != frames_.end())
        return &found->second;
    Kept kept;
    if (!source_->Decode(int32_t(index), kept.frame) || kept.frame.picture.bytesPerPixel != 3)
        return nullptr;
    if (kept.frame.second) {
        kept.eyes = {kept.frame.picture, kept.frame.second};
    } else {
        kept.eyes = SplitEyes(kept.frame.picture, layout_.layout);
        // Every use of a half layout's eye wants it at the shape it is seen
        // at, so it is stretched once here.
        if (layout_.layout.half && kept.eyes.first && kept.eyes.second) {
            kept.full[0] = Unsqueezed(kept.eyes.first, layout_.layout.kind);
            kept.full[1] = Unsqueezed(kept.eyes.second, layout_.layout.kind);
            kept.eyes = {kept.full[0].view(), kept.full[1].view()};
            // The stored picture is not looked at again.
            kept.frame = {};
        }
    }
    if (!kept.eyes.first || !kept.eyes.second || kept.eyes.second.bytesPerPixel != 3)
        return nullptr;
    return &frames_.emplace(index, std::move(kept)).first->second;
}

Picture TwoViewFilm::PictureView(Eye eye, Tone tone)
{
    const size_t count = Count();
    if (count == 0)
        return {};
    const size_t index = eye == Eye::Current ? Current() : cursor_.PartnerOf(Current(), count);
    Kept* kept = Frame(index);
    if (!kept)
        return {};
    const int which = eye == Eye::Current ? 0 : 1;
    Picture picture = which == 0 ? kept->eyes.first : kept->eyes.second;
    if (tone == Tone::Grey) {
        if (!kept->grey[which])
            kept->grey[which] = GreyCopyOf(picture);
        picture = kept->grey[which].view();
    }
    // Last: the budget may drop other frames, never the one just shown.
    kept_.Shown(index, KeptBytes(kept->frame, kept->grey, kept->full));
    return picture;
}

const uint8_t* TwoViewFilm::EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height)
{
    const Picture packed = PackedRows(PictureView(eye, tone), packed_[eye == Eye::Current ? 0 : 1]);
    if (!packed)
        return nullptr;
    width = packed.width;
    height = packed.height;
    return packed.data;
}

void TwoViewFilm::ReleasePictures()
{
    kept_.Forget();
    frames_.clear();
    for (auto& store : packed_)
        store = {};
}

}  // namespace plexo
