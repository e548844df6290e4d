#pragma once
// The list of films open in the viewer, from a playlist file, from the
// command line's names, or a folder's films for a slideshow: its entries, the
// one shown, and how it moves on. An entry that will not open is passed
// over, so that one bad file never stops a list.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "doc/playlist_file.h"

namespace plexo {

// Film > Loop: none, the film (the Round setting), or the list, which
// starts again at its first entry after its last.
enum class LoopMode { Off, Film, List };

class Playlist {
public:
    // Opens one entry; false when it gave no film.
    using Opener = std::function<bool(const PlaylistEntry&)>;

    Playlist() = default;
    explicit Playlist(std::vector<PlaylistEntry> entries, size_t current = 0);

    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }
    const std::vector<PlaylistEntry>& entries() const { return entries_; }
    // The entry shown; nullopt for an empty list.
    std::optional<size_t> current() const;
    const PlaylistEntry* Current() const;

    // The place one entry on from `from` (back unless `forward`), round to
    // the other end when `loop`; nullopt past an end.
    std::optional<size_t> After(size_t from, bool forward, bool loop) const;

    // Opens the entry at `index`, else each one after it in turn (round to
    // the first when `loop`), each asked at most once; the one that opened
    // becomes current. Nothing opens, nothing changes: nullopt.
    std::optional<size_t> OpenFrom(size_t index, bool loop, const Opener& open);
    // The next (or previous) entry that opens, from the current one on.
    std::optional<size_t> Step(bool forward, bool loop, const Opener& open);

private:
    std::optional<size_t> OpenOnward(size_t index, bool forward, bool loop, const Opener& open);

    std::vector<PlaylistEntry> entries_;
    size_t current_ = 0;
};

// The films of the folder that holds `path`, in the order Page Down walks
// them, the one `path` opens current (the first when it opens none of them).
Playlist FolderPlaylist(const std::string& path);

// The films of a folder, the first current.
Playlist FolderContents(const std::string& folder);

// What the command line names as a list: several films (a name that is not
// there skipped with a log line), a playlist file, or a folder; nullopt for
// one film alone, which opens as ever, and for none. An empty list when none is left.
std::optional<Playlist> CommandLineList(const std::vector<std::string>& names);

}  // namespace plexo
