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

void LogDamagedSecond(const std::string& path)
{
    LogMessage(path + ": the second picture does not decode; shown as a single view");
}

// The frames of a two-view MPO film: a file whose second eye does not decode
// shows its first picture to both eyes, logged once a film.
StillDecoder PairDecoder()
{
    return [logged = std::make_shared<bool>(false)](const std::string& path, SourceFrame& frame) {
        MpoPictures pictures = ReadMpoFile(path, Tone::Colour, true);
        if (pictures.first && pictures.pairNamed && !pictures.second && !*logged) {
            *logged = true;
            LogDamagedSecond(path);
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
    const auto decode = [&](size_t offset, size_t size) {
        return tone == Tone::Grey ? DecodeJpegGrey(bytes.get() + offset, size, JpegRows::Picture)
                                  : DecodeJpegColour(bytes.get() + offset, size, JpegRows::Picture);
    };
    const auto sizeOf = [&](const MpEntry& entry) -> std::optional<MpPictureSize> {
        int w = 0, h = 0;
        if (!ReadJpegSize(bytes.get() + entry.offset, entry.length, w, h))
            return std::nullopt;
        return MpPictureSize{w, h};
    };
    const std::vector<MpEntry> entries = ReadMpIndex(bytes.get(), length);
    const auto eyes = pair ? ChooseEyePictures(entries, sizeOf) : std::nullopt;
    if (!eyes) {
        // Without an index the file is one JPEG picture.
        pictures.first = entries.empty() ? decode(0, length) : decode(entries[0].offset, entries[0].length);
        return pictures;
    }
    pictures.pairNamed = true;
    pictures.first = decode(entries[eyes->first].offset, entries[eyes->first].length);
    if (pictures.first)
        pictures.second = decode(entries[eyes->second].offset, entries[eyes->second].length);
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
    if (opened.pairNamed)
        LogDamagedSecond(files.front().path);
    else if (const auto named = LayoutOfFileName(chosenFile))
        return StillTwoViewFilm(std::move(files), FirstPictureDecoder(), {*named, LayoutOrigin::Name});
    return SingleView(std::move(files), LayoutOrigin::None);
}

}  // namespace plexo
