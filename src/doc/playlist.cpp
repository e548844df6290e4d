#include "doc/playlist.h"

#include <filesystem>

#include "film/folder_films.h"
#include "platform/log.h"

namespace plexo {

Playlist::Playlist(std::vector<PlaylistEntry> entries, size_t current)
    : entries_(std::move(entries)), current_(current < entries_.size() ? current : 0)
{
}

std::optional<size_t> Playlist::current() const
{
    return entries_.empty() ? std::nullopt : std::optional<size_t>(current_);
}

const PlaylistEntry* Playlist::Current() const
{
    return entries_.empty() ? nullptr : &entries_[current_];
}

std::optional<size_t> Playlist::After(size_t from, bool forward, bool loop) const
{
    const size_t n = entries_.size();
    if (n == 0 || from >= n)
        return std::nullopt;
    if (forward)
        return from + 1 < n ? std::optional<size_t>(from + 1) : loop ? std::optional<size_t>(0) : std::nullopt;
    return from > 0 ? std::optional<size_t>(from - 1) : loop ? std::optional<size_t>(n - 1) : std::nullopt;
}

std::optional<size_t> Playlist::OpenOnward(size_t index, bool forward, bool loop, const Opener& open)
{
    std::optional<size_t> at = index < entries_.size() ? std::optional<size_t>(index) : std::nullopt;
    // Round a looping list once at most, so a list of films that all fail
    // ends instead of circling for ever.
    for (size_t tried = 0; at && tried < entries_.size(); ++tried) {
        if (open(entries_[*at])) {
            current_ = *at;
            return at;
        }
        at = After(*at, forward, loop);
    }
    return std::nullopt;
}

std::optional<size_t> Playlist::OpenFrom(size_t index, bool loop, const Opener& open)
{
    return OpenOnward(index, true, loop, open);
}

std::optional<size_t> Playlist::Step(bool forward, bool loop, const Opener& open)
{
    const std::optional<size_t> next = After(current_, forward, loop);
    if (!next)
        return std::nullopt;
    return OpenOnward(*next, forward, loop, open);
}

namespace {

std::vector<PlaylistEntry> EntriesOf(const std::filesystem::path& folder, const std::vector<std::string>& names)
{
    std::vector<PlaylistEntry> entries;
    entries.reserve(names.size());
    for (const std::string& name : names)
        entries.push_back({(folder / name).string(), {}});
    return entries;
}

std::filesystem::path Absolute(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).lexically_normal();
}

}  // namespace

Playlist FolderPlaylist(const std::string& path)
{
    const std::filesystem::path file = Absolute(path);
    const std::filesystem::path folder = file.parent_path();
    const std::vector<std::string> films = FolderFilms(folder.string());
    const std::optional<size_t> current = FilmPlace(films, file.filename().string());
    return Playlist(EntriesOf(folder, films), current.value_or(0));
}

Playlist FolderContents(const std::string& folder)
{
    const std::filesystem::path absolute = Absolute(folder);
    return Playlist(EntriesOf(absolute, FolderFilms(absolute.string())));
}

std::optional<Playlist> CommandLineList(const std::vector<std::string>& names)
{
    if (names.empty())
        return std::nullopt;
    if (names.size() == 1) {
        std::error_code error;
        if (std::filesystem::is_directory(names[0], error))
            return FolderContents(names[0]);
        if (IsPlaylistName(names[0])) {
            std::optional<std::vector<PlaylistEntry>> entries = ReadPlaylist(names[0]);
            return Playlist(entries ? std::move(*entries) : std::vector<PlaylistEntry>());
        }
        return std::nullopt;
    }
    std::vector<PlaylistEntry> entries;
    for (const std::string& name : names) {
        std::error_code error;
        if (!std::filesystem::exists(name, error)) {
            LogNote("Film skipped, no such file: " + name);
            continue;
        }
        entries.push_back({Absolute(name).string(), {}});
    }
    return Playlist(std::move(entries));
}

}  // namespace plexo
