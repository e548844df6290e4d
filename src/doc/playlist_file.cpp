#include "doc/playlist_file.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/failure_note.h"
#include "platform/log.h"
#include "platform/message_sink.h"
#include "platform/regular_file.h"

namespace plexo {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kExtinf = "#EXTINF:";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\f'))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\f'))
        text.remove_suffix(1);
    return text;
}

bool IsText(std::string_view bytes)
{
    for (const char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t' && u != '\r' && u != '\n' && u != '\f') || u == 0x7f)
            return false;
    }
    return true;
}

// A scheme of letters, digits, '+', '-' and '.' after a first letter, then
// "://": "C:/films" is not one, "file:///films" is.
bool IsUrl(std::string_view line)
{
    const size_t colon = line.find("://");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(line[0]))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        const char c = line[i];
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

bool EndsWithNoCase(const std::string& text, std::string_view end)
{
    return text.size() >= end.size() && strncasecmp(text.c_str() + text.size() - end.size(), end.data(), end.size()) == 0;
}

std::string NoBreaks(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::filesystem::path AbsoluteFolderOf(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).parent_path();
}

// "..", "." or an empty part between slashes.
bool NeedsNormalizing(std::string_view path)
{
    return path.find("//") != std::string_view::npos || path.find("/./") != std::string_view::npos
           || path.find("/../") != std::string_view::npos || path.ends_with("/.") || path.ends_with("/..");
}

}  // namespace

std::optional<std::vector<PlaylistLine>> ParsePlaylist(std::string_view bytes)
{
    if (bytes.substr(0, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    if (!IsText(bytes))
        return std::nullopt;
    std::vector<PlaylistLine> lines;
    std::string title;
    while (!bytes.empty()) {
        // CR ends a line too: CR LF, and the lone CR of old Mac lists.
        const size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
        const std::string_view line = Trimmed(bytes.substr(0, end));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
        if (line.empty())
            continue;
        if (line.front() == '#') {
            // "#EXTINF:123,Artist - Title": the title is all after the first comma.
            if (line.substr(0, kExtinf.size()) == kExtinf) {
                const size_t comma = line.find(',');
                title = comma == std::string_view::npos ? std::string() : std::string(Trimmed(line.substr(comma + 1)));
            }
            continue;
        }
        lines.push_back({std::string(line), std::move(title), IsUrl(line)});
        title.clear();
    }
    return lines;
}

bool IsPlaylistName(const std::string& path)
{
    return EndsWithNoCase(path, ".m3u") || EndsWithNoCase(path, ".m3u8");
}

std::optional<std::vector<PlaylistEntry>> ReadPlaylist(const std::string& path)
{
    const platform::FileText file = platform::ReadRegularFile(path, kMaxPlaylistBytes);
    if (!file.read()) {
        platform::ShowMessage("Cannot read the playlist " + path + ": " + file.reason());
        return std::nullopt;
    }
    std::optional<std::vector<PlaylistLine>> lines = ParsePlaylist(file.text);
    if (!lines) {
        platform::ShowMessage("Not a playlist: " + path + " holds binary data");
        return std::nullopt;
    }
    const std::string folder = AbsoluteFolderOf(path).string();
    // Relative entries are looked for from the folder itself, so that a
    // long list does not walk the folder's own path once an entry.
    const int folderFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::vector<PlaylistEntry> entries;
    entries.reserve(lines->size());
    for (PlaylistLine& line : *lines) {
        if (line.url) {
            LogNote("Playlist entry skipped, not a local file: " + line.location);
            continue;
        }
        const bool relative = line.location.front() != '/';
        std::string entry = relative ? folder + (folder.ends_with('/') ? "" : "/") + line.location : line.location;
        const bool there = relative && folderFd >= 0 ? ::faccessat(folderFd, line.location.c_str(), F_OK, 0) == 0
                                                     : ::access(entry.c_str(), F_OK) == 0;
        if (!there) {
            LogNote("Playlist entry skipped, no such file: " + entry);
            continue;
        }
        if (NeedsNormalizing(entry))
            entry = std::filesystem::path(entry).lexically_normal().string();
        entries.push_back({std::move(entry), std::move(line.title)});
    }
    if (folderFd >= 0)
        ::close(folderFd);
    return entries;
}

std::string PlaylistText(const std::vector<PlaylistEntry>& entries, const std::string& folder)
{
    std::string base = std::filesystem::path(folder).lexically_normal().string();
    if (!base.empty() && base.back() != '/')
        base += '/';
    std::string text = "#EXTM3U\n";
    for (const PlaylistEntry& entry : entries) {
        if (entry.path.find_first_of("\r\n") != std::string::npos || Trimmed(entry.path) != entry.path
            || entry.path.empty()) {
            LogMessage("Playlist entry left out, its name cannot be written in a list: " + NoBreaks(entry.path));
            continue;
        }
        if (!entry.title.empty())
            text += "#EXTINF:-1," + std::string(Trimmed(NoBreaks(entry.title))) + '\n';
        std::string line = entry.path;
        if (base.size() > 1 && line.size() > base.size() && line.compare(0, base.size(), base) == 0)
            line.erase(0, base.size());
        // A relative name read back must not pass for a comment or a URL.
        if (line.front() == '#' || (line.front() != '/' && IsUrl(line)))
            line = "./" + line;
        text += line + '\n';
    }
    return text;
}

bool WritePlaylist(const std::string& path, const std::vector<PlaylistEntry>& entries)
{
    const std::string text = PlaylistText(entries, AbsoluteFolderOf(path).string());
    platform::FailureWatch watch;
    if (platform::ReplaceFileWith(path, text.data(), text.size()))
        return true;
    platform::ShowMessage("Cannot write the playlist " + watch.first().value_or(path));
    return false;
}

}  // namespace plexo
