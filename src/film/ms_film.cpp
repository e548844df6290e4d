#include "film/ms_film.h"

#include <algorithm>
#include <cstdlib>

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

bool MSFilm::Seek(int32_t position)
{
    if (Count() == 0)
        return false;
    current_ = size_t(std::clamp<int64_t>(position, 0, int64_t(Count()) - 1));
    return true;
}

// Without round, a step towards the partner is allowed only while the partner
// of the new frame exists without wrapping; a step away from it only stops at
// the end. The asymmetry is intended. So a run of steps in one direction ends
// at a fixed frame, and making them at once is plain arithmetic.
int32_t MSFilm::Skip(int32_t steps)
{
    const int64_t count = int64_t(Count());
    if (count == 0 || steps == 0)
        return 0;
    const int64_t asked = std::abs(int64_t(steps));
    const bool forward = (steps > 0) != invert_;
    const int64_t cur = int64_t(current_);
    int64_t made = asked;
    if (round_) {
        const int64_t moved = forward ? cur + asked % count : cur - asked % count;
        current_ = size_t((moved + count) % count);
    } else {
        const int64_t room = forward ? count - 1 - std::max<int64_t>(shift_, 0) - cur
                                     : cur - std::max<int64_t>(-int64_t(shift_), 0);
        made = std::clamp<int64_t>(room, 0, asked);
        current_ = size_t(forward ? cur + made : cur - made);
    }
    return int32_t(std::min<int64_t>(made, INT32_MAX));
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
