#include "film/still_source.h"

#include <memory>

#include "film/two_view_film.h"

namespace plexo {

StillSource::StillSource(std::vector<SequenceFile> files, StillDecoder decode, std::optional<SourceFrame> opened)
    : files_(std::move(files)), decode_(std::move(decode)), opened_(std::move(opened))
{
}

bool StillSource::Decode(int32_t index, SourceFrame& frame)
{
    if (index == 0 && opened_) {
        frame = std::move(*opened_);
        opened_.reset();
        return true;
    }
    return decode_(files_[size_t(index)].path, frame);
}

bool WholeFrame(PictureBuffer picture, SourceFrame& frame)
{
    if (!picture)
        return false;
    auto owner = std::make_shared<PictureBuffer>(std::move(picture));
    frame = {owner, owner->view(), {}};
    return true;
}

FilmPtr StillTwoViewFilm(std::vector<SequenceFile> files, StillDecoder decode, SourceLayout layout)
{
    if (files.empty())
        return nullptr;
    return std::make_unique<TwoViewFilm>(std::make_unique<StillSource>(std::move(files), std::move(decode)), layout);
}

}  // namespace plexo
