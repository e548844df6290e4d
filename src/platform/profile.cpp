#include "platform/profile.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/atomic_file.h"

namespace plexo::platform {

namespace {

std::mutex& ProfileMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& OverridePath()
{
    static std::string path;
    return path;
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return ".";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

// One line of the file with the line break it ended with ("" for a last line
// without one), so that lines we do not touch are written back byte for byte.
struct Line {
    std::string text;
    std::string end;
};

struct IniFile {
    std::vector<Line> lines;
    std::string lineEnd = "\n";  // for lines we add: whatever the file uses
};

// nullopt when the file exists but cannot be read: better to refuse a write
// than to replace a file whose contents we never saw.
std::optional<IniFile> Load(const std::string& path)
{
    IniFile ini;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return ec ? std::nullopt : std::optional<IniFile>(ini);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    size_t start = 0;
    while (start < text.size()) {
        const size_t nl = text.find('\n', start);
        Line line;
        if (nl == std::string::npos) {
            line.text = text.substr(start);
            start = text.size();
        } else {
            const bool crlf = nl > start && text[nl - 1] == '\r';
            line.text = text.substr(start, nl - start - (crlf ? 1 : 0));
            line.end = crlf ? "\r\n" : "\n";
            start = nl + 1;
        }
        ini.lines.push_back(std::move(line));
    }
    if (!ini.lines.empty() && !ini.lines.front().end.empty())
        ini.lineEnd = ini.lines.front().end;
    return ini;
}

// The section name of a "[name]" line, trimmed.
std::optional<std::string> SectionOf(const Line& line, bool first)
{
    std::string text = line.text;
    if (first && text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    text = Trim(text);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    const size_t close = text.find(']');
    return Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

std::optional<std::string> KeyOf(const Line& line)
{
    const size_t eq = line.text.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return Trim(line.text.substr(0, eq));
}

// Index of the first "[section]" line, or the line count.
size_t FindSection(const IniFile& ini, const std::string& section)
{
    for (size_t i = 0; i < ini.lines.size(); ++i)
        if (auto name = SectionOf(ini.lines[i], i == 0); name && SameName(*name, section))
            return i;
    return ini.lines.size();
}

// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const IniFile& ini, size_t header)
{
    size_t i = header + 1;
    while (i < ini.lines.size() && !SectionOf(ini.lines[i], false))
        ++i;
    return i;
}

std::optional<size_t> FindKey(const IniFile& ini, size_t header, const std::string& key)
{
    const size_t end = SectionEnd(ini, header);
    for (size_t i = header + 1; i < end; ++i)
        if (auto name = KeyOf(ini.lines[i]); name && SameName(*name, key))
            return i;
    return std::nullopt;
}

std::optional<std::string> Lookup(const std::string& section, const std::string& key)
{
    const std::optional<IniFile> ini = Load(SettingsFilePath());
    if (!ini)
        return std::nullopt;
    const size_t header = FindSection(*ini, section);
    if (header == ini->lines.size())
        return std::nullopt;
    const std::optional<size_t> at = FindKey(*ini, header, key);
    if (!at)
        return std::nullopt;
    const std::string& text = ini->lines[*at].text;
    std::string value = Trim(text.substr(text.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

bool Save(const std::string& path, const IniFile& ini)
{
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    AtomicFile file(path);
    for (const Line& line : ini.lines) {
        file.write(line.text.data(), line.text.size());
        file.write(line.end.data(), line.end.size());
    }
    return file.commit();
}

bool HasAny(const std::string& text, const char* chars)
{
    return text.find_first_of(chars) != std::string::npos;
}

}  // namespace

std::string SettingsFilePath()
{
    {
        std::lock_guard lock(ProfileMutex());
        if (!OverridePath().empty())
            return OverridePath();
    }
    if (const char* file = std::getenv("PLEXO_SETTINGS_FILE"); file && *file)
        return file;
    std::filesystem::path folder;
    // Relative values are to be ignored, as the base-directory rules say.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        folder = xdg;
    else
        folder = std::filesystem::path(HomeFolder()) / ".config";
    return (folder / "plexo" / "duvix.ini").string();
}

void SetSettingsFilePath(std::string path)
{
    std::lock_guard lock(ProfileMutex());
    OverridePath() = std::move(path);
}

std::string ReadProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                              size_t maxLength)
{
    const std::optional<std::string> value = Lookup(section, key);
    std::string text = value ? *value : fallback;
    if (text.size() > maxLength)
        text.resize(maxLength);
    return text;
}

int32_t ReadProfileInt(const std::string& section, const std::string& key, int32_t fallback)
{
    const std::optional<std::string> value = Lookup(section, key);
    if (!value)
        return fallback;
    const std::string& t = *value;
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        negative = t[i++] == '-';
    int64_t n = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i)
        n = std::min<int64_t>(n * 10 + (t[i] - '0'), int64_t(INT32_MAX) + 1);
    n = negative ? -n : std::min<int64_t>(n, INT32_MAX);
    return int32_t(n);
}

bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value)
{
    if (HasAny(section, "\r\n]") || HasAny(key, "\r\n=") || HasAny(value, "\r\n") || Trim(key).empty())
        return false;
    const std::string path = SettingsFilePath();
    std::lock_guard lock(ProfileMutex());
    std::optional<IniFile> ini = Load(path);
    if (!ini)
        return false;
    std::vector<Line>& lines = ini->lines;
    const Line keyLine{key + "=" + value, ini->lineEnd};
    const size_t header = FindSection(*ini, section);
    if (header == lines.size()) {
        if (!lines.empty() && lines.back().end.empty())
            lines.back().end = ini->lineEnd;
        lines.push_back({"[" + section + "]", ini->lineEnd});
        lines.push_back(keyLine);
    } else if (const std::optional<size_t> existing = FindKey(*ini, header, key)) {
        // The key keeps the spelling the file gave it.
        lines[*existing].text = *KeyOf(lines[*existing]) + "=" + value;
    } else {
        // After the section's last line that is not blank, so that a blank
        // line before the next section stays where it is.
        size_t at = SectionEnd(*ini, header);
        while (at > header + 1 && Trim(lines[at - 1].text).empty())
            --at;
        if (lines[at - 1].end.empty())
            lines[at - 1].end = ini->lineEnd;
        lines.insert(lines.begin() + std::ptrdiff_t(at), keyLine);
    }
    return Save(path, *ini);
}

}  // namespace plexo::platform
