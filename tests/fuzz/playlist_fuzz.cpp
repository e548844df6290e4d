// A playlist as anyone may have written it: it reads without a fault, every
// entry it gives is a line's text without its line break, and the list
// written from those entries reads back as the same entries.
#include <cstdint>
#include <string>
#include <vector>

#include "doc/playlist_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<std::vector<plexo::PlaylistLine>> lines = plexo::ParsePlaylist(bytes);
    if (!lines)
        return 0;
    std::vector<plexo::PlaylistEntry> entries;
    for (const plexo::PlaylistLine& line : *lines) {
        if (line.location.empty() || line.location.find_first_of("\r\n") != std::string::npos)
            __builtin_trap();
        if (!line.url)
            entries.push_back({"/films/" + line.location, line.title});
    }
    const std::optional<std::vector<plexo::PlaylistLine>> again = plexo::ParsePlaylist(plexo::PlaylistText(entries, "/films"));
    if (!again || again->size() != entries.size())
        __builtin_trap();
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& written = (*again)[i].location;
        const std::string& expected = entries[i].path.substr(7);
        if ((*again)[i].title != entries[i].title || (written != expected && written != "./" + expected))
            __builtin_trap();
    }
    return 0;
}
