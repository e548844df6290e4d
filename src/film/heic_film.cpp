#include "film/heic_film.h"

#include <memory>

#include "film/factories.h"
#include "film/grey_pixels.h"
#include "film/still_source.h"
#include "film/two_view_film.h"
#include "platform/log.h"

namespace plexo {

namespace {

struct EyePair {
    PictureBuffer left;
    PictureBuffer right;
};

bool PairFrame(HeicPictures pictures, SourceFrame& frame)
{
    if (!pictures.second)
        return WholeFrame(std::move(pictures.first), frame);
    auto owner = std::make_shared<EyePair>(EyePair{std::move(pictures.first), std::move(pictures.second)});
    frame = {owner, owner->left.view(), owner->right.view()};
    return true;
}

// The frame read again once the budget let it go.
StillDecoder PairDecoder()
{
    return [](const std::string& path, SourceFrame& frame) { return PairFrame(ReadHeicFile(path, true), frame); };
}

StillDecoder PrimaryDecoder()
{
    return [](const std::string& path, SourceFrame& frame) {
        return WholeFrame(ReadHeicFile(path, false).first, frame);
    };
}

}  // namespace

PictureBuffer HeicCadre::Build(Tone tone)
{
    PictureBuffer colour = ReadHeicFile(path(), false).first;
    if (tone == Tone::Colour || !colour)
        return colour;
    return GreyCopyOf(colour.view());
}

FilmPtr OpenHeicFilm(const std::string& chosenFile, const LayoutChoice& choice)
{
    std::vector<SequenceFile> files = FileAlone(chosenFile);
    if (files.empty())
        return nullptr;
    if (choice)
        return StillFilm<HeicCadre>(std::move(files), PrimaryDecoder(), {*choice, LayoutOrigin::User});
    HeicPictures opened = ReadHeicFile(chosenFile, true);
    if (!opened.first)
        return nullptr;
    if (!opened.flatReason.empty())
        LogMessage(chosenFile + ": " + opened.flatReason);
    if (!opened.second)
        return StillFilm<HeicCadre>(std::move(files), PrimaryDecoder(), ChosenOrNamed(choice, chosenFile));
    const SpatialFacts spatial = opened.spatial;
    const std::optional<int32_t> dist =
        spatial.disparityAdjustment
            ? std::optional<int32_t>(DistOfAdjustment(*spatial.disparityAdjustment, opened.first.width))
            : std::nullopt;
    SourceFrame first;
    PairFrame(std::move(opened), first);
    auto film = std::make_unique<TwoViewFilm>(std::make_unique<StillSource>(std::move(files), PairDecoder(), first),
                                              SourceLayout{{}, LayoutOrigin::Ster});
    film->SetSpatial(spatial, dist);
    return film;
}

}  // namespace plexo
