#include "film/ms_film.h"

#include <algorithm>

namespace plexo {

void MSFilm::InsertAfterCurrent(std::unique_ptr<Cadre> frame)
{
    const size_t at = frames_.empty() ? 0 : cursor_.current + 1;
    frames_.insert(frames_.begin() + std::ptrdiff_t(at), std::move(frame));
    cursor_.current = at;
}

void MSFilm::SortByNumber()
{
    std::stable_sort(frames_.begin(), frames_.end(),
                     [](const auto& a, const auto& b) { return a->number < b->number; });
}

int32_t MSFilm::PartnerNumber() const
{
    return Count() == 0 ? -1 : NumberAt(cursor_.Partner(Count()));
}

const uint8_t* MSFilm::Shown(size_t index, Tone tone, int32_t& width, int32_t& height)
{
    Cadre& frame = CadreAt(index);
    const uint8_t* pixels = tone == Tone::Grey ? frame.GreyPicture(width, height) : frame.ColourPicture(width, height);
    kept_.Shown(index, pixels ? size_t(width) * size_t(height) * (tone == Tone::Grey ? 1 : 3) : 0);
    return pixels;
}

const uint8_t* MSFilm::EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height)
{
    if (Count() == 0)
        return nullptr;
    return Shown(eye == Eye::Current ? cursor_.current : cursor_.Partner(Count()), tone, width, height);
}

std::string MSFilm::SourceFile(Eye eye)
{
    if (Count() == 0)
        return {};
    return CadreAt(eye == Eye::Current ? cursor_.current : cursor_.Partner(Count())).SourceFile();
}

int32_t MSFilm::FrameNumber() const
{
    return Count() == 0 ? -1 : NumberAt(cursor_.current);
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
