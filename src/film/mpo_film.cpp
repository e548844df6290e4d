#include "film/mpo_film.h"

#include <memory>

#include "film/factories.h"
#include "film/jpg_film.h"
#include "film/still_source.h"
#include "film/two_view_film.h"
#include "image/input_file.h"
#include "image/jpeg_codec.h"
#include "image/layout_name_words.h"
#include "image/mpo_index.h"
#include "image/picture_limit.h"
#include "platform/log.h"

namespace plexo {

namespace {

// Both eyes of a file, owned together.
struct EyePair {
    PictureBuffer first;
    PictureBuffer second;
};

bool PairFrame(MpoPictures pictures, SourceFrame& frame)
{
    if (!pictures.second)
        return WholeFrame(std::move(pictures.first), frame);
    auto owner = std::make_shared<EyePair>(EyePair{std::move(pictures.first), std::move(pictures.second)});
    frame = {owner, owner->first.view(), owner->second.view()};
    return true;
}

// The frames of a two-view MPO film: a file whose second eye does not decode
// shows its first picture to both eyes, logged once a film.
StillDecoder PairDecoder()
{
    return [logged = std::make_shared<bool>(false)](const std::string& path, SourceFrame& frame) {
        MpoPictures pictures = ReadMpoFile(path, Tone::Colour, true);
        if (pictures.first && !pictures.flatReason.empty() && !*logged) {
            *logged = true;
            LogMessage(path + ": " + pictures.flatReason);
        }
        return PairFrame(std::move(pictures), frame);
    };
}

StillDecoder FirstPictureDecoder()
{
    return [](const std::string& path, SourceFrame& frame) {
        return WholeFrame(ReadMpoFile(path, Tone::Colour, false).first, frame);
    };
}

FilmPtr SingleView(std::vector<SequenceFile> files, LayoutOrigin origin)
{
    auto film = std::make_unique<NumberedFilm<MpoCadre>>(std::move(files));
    film->SetLayout({{}, origin});
    return film;
}

}  // namespace

MpoPictures ReadMpoFile(const std::string& path, Tone tone, bool pair)
{
    MpoPictures pictures;
    size_t length = 0;
    const std::unique_ptr<uint8_t[]> bytes = ReadWholeFile(path, kMaxJpegFileBytes, length);
    if (!bytes)
        return pictures;
    const auto sizeOf = [&](const MpEntry& entry) -> std::optional<MpPictureSize> {
        int w = 0, h = 0;
        if (!ReadJpegSize(bytes.get() + entry.offset, entry.length, w, h))
            return std::nullopt;
        return MpPictureSize{w, h};
    };
    // Without an index the file is one JPEG picture.
    const MpoPictureList found = FindMpoPictures(bytes.get(), length);
    const std::vector<MpEntry>& entries = found.pictures;
    const MpEntry whole{0, 0, length};
    const auto eyes = pair ? ChooseEyePictures(entries, sizeOf) : std::nullopt;
    const MpEntry& first = eyes ? entries[eyes->first] : entries.empty() ? whole : entries[0];
    const MpEntry* second = eyes ? &entries[eyes->second] : nullptr;
    if (pair && !eyes && found.listed > 1 && entries.size() < 2)
        pictures.flatReason = "its index lists " + std::to_string(found.listed) +
                              " pictures, but the file holds one; shown as a single view";
    const int bytesPerPixel = tone == Tone::Grey ? 1 : 3;
    const auto sizeOrNone = [&](const MpEntry* entry) {
        const std::optional<MpPictureSize> size = entry ? sizeOf(*entry) : std::nullopt;
        return size ? DecodedSize{size->width, size->height} : DecodedSize{0, 0};
    };
    const std::optional<std::string> refusal =
        second ? DecodedSizeRefusal({sizeOrNone(&first), sizeOrNone(second)}, bytesPerPixel)
               : DecodedSizeRefusal({sizeOrNone(&first)}, bytesPerPixel);
    if (refusal) {
        LogRefusedPicture(path, *refusal);
        return pictures;
    }
    const auto decode = [&](const MpEntry& entry) {
        return tone == Tone::Grey ? DecodeJpegGrey(bytes.get() + entry.offset, entry.length, JpegRows::Picture)
                                  : DecodeJpegColour(bytes.get() + entry.offset, entry.length, JpegRows::Picture);
    };
    pictures.pairNamed = second != nullptr;
    pictures.first = decode(first);
    if (pictures.first && second) {
        pictures.second = decode(*second);
        if (!pictures.second)
            pictures.flatReason = "the second picture does not decode; shown as a single view";
    }
    return pictures;
}

FilmPtr OpenMpoFilm(const std::string& chosenFile, const LayoutChoice& choice)
{
    std::vector<SequenceFile> files = GatherRunOrFile(chosenFile, ".mpo");
    if (files.empty())
        return nullptr;
    if (choice && choice->mono())
        return SingleView(std::move(files), LayoutOrigin::User);
    if (choice)
        return StillTwoViewFilm(std::move(files), FirstPictureDecoder(), {*choice, LayoutOrigin::User});
    // The first file decides what the film is; its pictures are kept as the
    // first frame.
    MpoPictures opened = ReadMpoFile(files.front().path, Tone::Colour, true);
    if (!opened.first)
        return nullptr;
    if (opened.second) {
        SourceFrame first;
        PairFrame(std::move(opened), first);
        return std::make_unique<TwoViewFilm>(std::make_unique<StillSource>(std::move(files), PairDecoder(), first),
                                             SourceLayout{{}, LayoutOrigin::Metadata});
    }
    if (!opened.flatReason.empty())
        LogMessage(files.front().path + ": " + opened.flatReason);
    if (const auto named = opened.pairNamed ? std::nullopt : LayoutOfFileName(chosenFile))
        return StillTwoViewFilm(std::move(files), FirstPictureDecoder(), {*named, LayoutOrigin::Name});
    return SingleView(std::move(files), LayoutOrigin::None);
}

}  // namespace plexo
