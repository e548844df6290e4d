// The settings file: over any existing contents, a key that is written reads
// back as written, and every other key reads as before. A write that is
// refused leaves the file's bytes alone.
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "fuzz_input.h"
#include "platform/profile.h"

namespace {

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The value as a reader sees it: blanks around it, then one pair of enclosing
// quotes, removed.
std::string AsRead(const std::string& value)
{
    size_t b = value.find_first_not_of(" \t");
    if (b == std::string::npos)
        return "";
    std::string v = value.substr(b, value.find_last_not_of(" \t") - b + 1);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::platform;
    // The file, then the section, key and value of the write, split at NULs.
    const std::vector<std::string> parts = plexo::fuzz::SplitAtNuls(data, size, 4);
    if (parts.size() < 4)
        return 0;
    const std::string& section = parts[1];
    const std::string& key = parts[2];
    const std::string& value = parts[3];
    const std::string path = plexo::fuzz::WriteInput("duvix.ini", reinterpret_cast<const uint8_t*>(parts[0].data()),
                                                     parts[0].size());
    SetSettingsFilePath(path);

    const std::pair<const char*, const char*> probes[] = {
        {"I/O", "Current directory"}, {"Settings", "Frames/sec"}, {"Settings", "Shift"},
        {"settings", "red-blue"},     {"Translate", "Quality"},   {"Other", "Key"},
    };
    std::vector<std::string> before;
    for (const auto& [s, k] : probes)
        before.push_back(ReadProfileString(s, k, "\x01missing"));

    if (WriteProfileString(section, key, value)) {
        if (ReadProfileString(section, key, "\x01missing") != AsRead(value))
            __builtin_trap();
        for (size_t i = 0; i < std::size(probes); ++i) {
            const bool same = Lower(probes[i].first) == Lower(section) && Lower(probes[i].second) == Lower(key);
            if (!same && ReadProfileString(probes[i].first, probes[i].second, "\x01missing") != before[i])
                __builtin_trap();
        }
    } else if (FileText(path) != parts[0]) {
        __builtin_trap();
    }
    return 0;
}
