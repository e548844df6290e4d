#pragma once
// Playlists in the M3U form that mpv, VLC and Bino read and write: one entry
// a line, `#EXTINF:SECONDS,TITLE` before an entry naming it, every other line
// that begins with '#' a comment. `.m3u8` is UTF-8 by definition; a plain
// `.m3u` is read as bytes too, since on this system a path is bytes whatever
// they spell. Entries are local files only: a URL is skipped, and so is a
// file that is not there, each with one log line.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plexo {

struct PlaylistEntry {
    // Absolute once read from a file, or as the caller gave it.
    std::string path;
    // The #EXTINF title; empty without one.
    std::string title;

    bool operator==(const PlaylistEntry&) const = default;
};

// One entry line as the file holds it, before its folder resolves it.
struct PlaylistLine {
    std::string location;
    std::string title;
    // The line names a URL ("https://…", "file:///…"): never opened.
    bool url = false;

    bool operator==(const PlaylistLine&) const = default;
};

// The largest list file read: a million entries of long paths.
inline constexpr size_t kMaxPlaylistBytes = size_t(256) << 20;

// The entry lines of a list's bytes, after a UTF-8 byte order mark, with
// CR LF, LF or CR line ends and blanks around each line left out; nullopt when
// the bytes are no text (a NUL or another control byte than tab, CR, LF or
// form feed), so that a picture or a video renamed .m3u is refused whole.
std::optional<std::vector<PlaylistLine>> ParsePlaylist(std::string_view bytes);

// Whether the name ends in .m3u or .m3u8, in any case.
bool IsPlaylistName(const std::string& path);

// The list in the file at `path`: relative entries resolved against its
// folder, URLs and missing files skipped, each with one log line. A file
// that cannot be read, or is no text, shows a message and gives nullopt.
std::optional<std::vector<PlaylistEntry>> ReadPlaylist(const std::string& path);

// The list as its file would hold it: "#EXTM3U", then each entry, its title
// in an #EXTINF line first, its path relative to `folder` when it lies
// within it, else absolute. An entry whose path or title holds a line break
// cannot be written that way: its path is left out with a log line, its
// title's breaks become blanks.
std::string PlaylistText(const std::vector<PlaylistEntry>& entries, const std::string& folder);

// Writes the list as `path` (UTF-8, whatever the extension says), replacing
// an older file only once the new one is whole. False, with a message, when
// it cannot be written.
bool WritePlaylist(const std::string& path, const std::vector<PlaylistEntry>& entries);

}  // namespace plexo
