#include "film/folder_films.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "film/file_formats.h"
#include "film/numbered_sequence.h"

namespace plexo {

namespace {

// What makes two names one film: the run's key, or the name itself for a
// file that stands alone; empty for a file that opens no film.
std::string FilmKey(const std::string& name)
{
    const FileFormat* format = FileFormatOf(name);
    if (!format || !format->openFilm)
        return {};
    const std::string run = GroupingOf(*format) == FileGrouping::Alone ? std::string() : SequenceKey(name);
    return run.empty() ? '/' + name : run;
}

}  // namespace

std::vector<std::string> FolderFilms(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(it->path().filename().string());
    }
    // Without regard to case first, so that TAKE0003.BMP follows take0001.bmp.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = strcasecmp(a.c_str(), b.c_str());
        return order != 0 ? order < 0 : a < b;
    });
    std::set<std::string> seen;
    std::erase_if(names, [&seen](const std::string& name) {
        const std::string key = FilmKey(name);
        return key.empty() || !seen.insert(key).second;
    });
    return names;
}

std::optional<size_t> FilmPlace(const std::vector<std::string>& films, const std::string& name)
{
    const std::string key = FilmKey(name);
    if (key.empty())
        return std::nullopt;
    const auto at = std::find_if(films.begin(), films.end(), [&key](const std::string& film) { return FilmKey(film) == key; });
    return at == films.end() ? std::nullopt : std::optional<size_t>(size_t(at - films.begin()));
}

std::string NeighbourFilm(const std::string& path, bool forward)
{
    const std::filesystem::path file(path);
    if (FilmKey(file.filename().string()).empty())
        return {};
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    const std::vector<std::string> films = FolderFilms(folder.string());
    const std::optional<size_t> at = FilmPlace(films, file.filename().string());
    if (!at || (forward ? *at + 1 == films.size() : *at == 0))
        return {};
    return (folder / films[forward ? *at + 1 : *at - 1]).string();
}

}  // namespace plexo
