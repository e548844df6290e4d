#include "doc/film_alignment.h"

#include "doc/film_memory.h"
#include "doc/stereo_choice.h"

namespace plexo {

KeptAlignment RecallAlignment(const std::vector<std::string>& paths)
{
    const FilmRecord record = RecallFilm(FilmKey(paths));
    return {record.Text(kAlignField).value_or(""), record.Number(kDistField, kMaxAdjustment)};
}

bool KeepAlignment(const std::vector<std::string>& paths, const KeptAlignment& kept)
{
    const std::string key = FilmKey(paths);
    FilmRecord record = RecallFilm(key);
    if (kept.align.empty())
        record.Erase(kAlignField);
    else
        record.SetText(kAlignField, kept.align);
    if (kept.dist)
        record.SetNumber(kDistField, *kept.dist);
    return KeepFilm(key, record);
}

}  // namespace plexo
