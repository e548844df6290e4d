// Films of JPS files (side-by-side JPEG pictures), one frame a file: a lone
// file, or a numbered run gathered like the numbered sequences.

#include <algorithm>

#include "film/factories.h"
#include "film/jpg_film.h"
#include "film/still_source.h"
#include "image/input_file.h"
#include "image/jps_block.h"
#include "image/layout_name_words.h"

namespace plexo {

namespace {

// The header blocks come first; the layout block is looked for among those
// that fit here (an EXIF block is at most 64 KiB).
constexpr size_t kHeaderBytes = 256 * 1024;

// The user's choice; else the file's own block; else its name's words; else
// the cross-eyed side by side of every JPS without a block.
SourceLayout JpsLayout(const LayoutChoice& choice, const std::string& path)
{
    if (choice)
        return {*choice, LayoutOrigin::User};
    if (std::optional<InputFile> file = InputFile::Open(path)) {
        std::vector<uint8_t> header(size_t(std::min<int64_t>(file->Length(), kHeaderBytes)));
        if (file->ReadAt(0, header.data(), header.size()))
            if (const auto stated = ReadJpsLayout(header.data(), header.size()))
                return {*stated, LayoutOrigin::Metadata};
    }
    if (const auto named = LayoutOfFileName(path))
        return {*named, LayoutOrigin::Name};
    return {kJpsDefaultLayout, LayoutOrigin::None};
}

}  // namespace

FilmPtr OpenJpsFilm(const std::string& chosenFile, const LayoutChoice& choice)
{
    std::vector<SequenceFile> files = GatherRunOrFile(chosenFile, ".jps");
    if (files.empty())
        return nullptr;
    const SourceLayout layout = JpsLayout(choice, chosenFile);
    if (!layout.layout.mono())
        return StillTwoViewFilm(std::move(files), JpegDecoder(), layout);
    auto film = std::make_unique<NumberedFilm<JpgCadre>>(std::move(files));
    film->SetLayout(layout);
    return film;
}

}  // namespace plexo
