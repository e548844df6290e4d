#include "film/ms_film.h"

#include <algorithm>

namespace plexo {

void MSFilm::InsertAfterCurrent(std::unique_ptr<Cadre> frame)
{
    const size_t at = frames_.empty() ? 0 : current_ + 1;
    frames_.insert(frames_.begin() + std::ptrdiff_t(at), std::move(frame));
    current_ = at;
}

void MSFilm::SortByNumber()
{
    std::stable_sort(frames_.begin(), frames_.end(),
                     [](const auto& a, const auto& b) { return a->number < b->number; });
}

size_t MSFilm::PartnerIndex() const
{
    // Walking shift frames with wrap-round at both ends lands here, however
    // many times the walk goes round.
    const int64_t n = int64_t(Count());
    return size_t(((int64_t(current_) + shift_) % n + n) % n);
}

int32_t MSFilm::PartnerNumber() const
{
    return Count() == 0 ? -1 : NumberAt(PartnerIndex());
}

const uint8_t* MSFilm::Shown(size_t index, Tone tone, int32_t& width, int32_t& height)
{
    Cadre& frame = CadreAt(index);
    const uint8_t* pixels = tone == Tone::Grey ? frame.GreyPicture(width, height) : frame.ColourPicture(width, height);
    kept_.Shown(index, pixels ? size_t(width) * size_t(height) * (tone == Tone::Grey ? 1 : 3) : 0);
    return pixels;
}

const uint8_t* MSFilm::GreyPicture(int32_t& width, int32_t& height)
{
    return Count() == 0 ? nullptr : Shown(current_, Tone::Grey, width, height);
}

const uint8_t* MSFilm::ColourPicture(int32_t& width, int32_t& height)
{
    return Count() == 0 ? nullptr : Shown(current_, Tone::Colour, width, height);
}

const uint8_t* MSFilm::PartnerGreyPicture(int32_t& width, int32_t& height)
{
    return Count() == 0 ? nullptr : Shown(PartnerIndex(), Tone::Grey, width, height);
}

const uint8_t* MSFilm::PartnerColourPicture(int32_t& width, int32_t& height)
{
    return Count() == 0 ? nullptr : Shown(PartnerIndex(), Tone::Colour, width, height);
}

int32_t MSFilm::FrameNumber() const
{
    return Count() == 0 ? -1 : NumberAt(current_);
}

// Without round, a step towards the partner is allowed only while the partner
// of the new frame exists without wrapping; a step away from it only stops at
// the end. The asymmetry is intended.
bool MSFilm::StepForward()
{
    if (Count() == 0)
        return false;
    const int64_t last = int64_t(Count()) - 1;
    const int64_t cur = int64_t(current_);
    if (round_) {
        current_ = cur == last ? 0 : current_ + 1;
        return true;
    }
    const int64_t reach = shift_ <= 0 ? cur + 1 : cur + int64_t(shift_) + 1;
    if (reach > last)
        return false;
    ++current_;
    return true;
}

bool MSFilm::StepBackward()
{
    if (Count() == 0)
        return false;
    const int64_t cur = int64_t(current_);
    if (round_) {
        current_ = cur == 0 ? Count() - 1 : current_ - 1;
        return true;
    }
    const int64_t reach = shift_ >= 0 ? cur - 1 : cur + int64_t(shift_) - 1;
    if (reach < 0)
        return false;
    --current_;
    return true;
}

void MSFilm::ReleaseFrame(size_t index)
{
    kept_.Forget(index);
    DropPicture(index);
}

void MSFilm::ReleasePictures()
{
    kept_.Forget();
    DropAllPictures();
}

void MSFilm::DropAllPictures()
{
    for (auto& frame : frames_)
        frame->ReleasePicture();
}

}  // namespace plexo
