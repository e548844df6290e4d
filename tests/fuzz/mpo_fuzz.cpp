// The MPO index reader, the choice of the eye pair and the pictures found
// where the index does not match, over any bytes, then the MPO film of the
// same bytes.
#include <algorithm>

#include "film/factories.h"
#include "fuzz_input.h"
#include "image/jpeg_codec.h"
#include "image/mpo_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    const std::vector<MpEntry> entries = ReadMpIndex(data, size);
    for (const MpEntry& entry : entries)
        if (entry.offset >= size || entry.length > size - entry.offset)
            __builtin_trap();
    const auto pair = ChooseEyePictures(entries, [&](const MpEntry& entry) -> std::optional<MpPictureSize> {
        int w = 0, h = 0;
        if (!ReadJpegSize(data + entry.offset, entry.length, w, h))
            return std::nullopt;
        return MpPictureSize{w, h};
    });
    if (pair && (pair->first >= pair->second || pair->second >= entries.size()))
        __builtin_trap();
    const MpoPictureList found = FindMpoPictures(data, size);
    for (const MpEntry& picture : found.pictures)
        if (picture.offset >= size || picture.length > size - picture.offset)
            __builtin_trap();
    if (found.foundByMarkers && found.pictures.size() > std::max<size_t>(found.listed, 2))
        __builtin_trap();
    const std::string path = fuzz::WriteInput("DSCF0001.MPO", data, size);
    if (FilmPtr film = OpenMpoFilm(path))
        fuzz::Exercise(*film, 2);
    return 0;
}
