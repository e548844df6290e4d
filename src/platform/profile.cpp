#include "platform/profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/log.h"
#include "platform/regular_file.h"

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

// The whole file; an empty text when there is none. nullopt when something
// is there that cannot be read (a folder, a FIFO, a file without permission):
// better to refuse a write than to replace what we never saw.
std::optional<std::string> ReadWhole(const std::string& path)
{
    FileText file = ReadRegularFile(path);
    if (file.result == FileText::Result::Missing)
        return std::string();
    if (!file.read())
        return std::nullopt;
    return std::move(file.text);
}

// CR, LF and CRLF all end a line, as each platform's editors write them.
IniFile Parse(const std::string& text)
{
    IniFile ini;
    size_t start = 0;
    while (start < text.size()) {
        const size_t brk = text.find_first_of("\r\n", start);
        Line line;
        if (brk == std::string::npos) {
            line.text = text.substr(start);
            start = text.size();
        } else {
            const size_t endLength = text.compare(brk, 2, "\r\n") == 0 ? 2 : 1;
            line.text = text.substr(start, brk - start);
            line.end = text.substr(brk, endLength);
            start = brk + endLength;
        }
        ini.lines.push_back(std::move(line));
    }
    if (!ini.lines.empty() && !ini.lines.front().end.empty())
        ini.lineEnd = ini.lines.front().end;
    return ini;
}

std::optional<IniFile> Load(const std::string& path)
{
    const std::optional<std::string> text = ReadWhole(path);
    if (!text)
        return std::nullopt;
    return Parse(*text);
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

// The file as this run read it: once, at the first read, then as each write
// of this run left it.
struct Cache {
    std::string path;
    std::optional<IniFile> ini;
};

std::optional<Cache>& TheCache()
{
    static std::optional<Cache> cache;
    return cache;
}

// Writes held back by an open ProfileWriteBatch, in the order they came.
struct Pending {
    int depth = 0;
    std::vector<ProfileEntry> entries;
};

Pending& ThePending()
{
    static Pending pending;
    return pending;
}

// Under ProfileMutex.
const std::optional<IniFile>& Cached(const std::string& path)
{
    std::optional<Cache>& cache = TheCache();
    if (!cache || cache->path != path) {
        cache = Cache{path, Load(path)};
        if (!cache->ini)
            LogMessage("Cannot read the settings file " + path + ": it is not a readable file; the defaults are used");
    }
    return cache->ini;
}

// The value of a key line, blanks around it and one pair of enclosing quotes
// removed.
std::string ValueOf(const Line& line)
{
    std::string value = Trim(line.text.substr(line.text.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::string> Lookup(const std::string& section, const std::string& key)
{
    const std::string path = SettingsFilePath();
    std::lock_guard lock(ProfileMutex());
    const std::optional<IniFile>& ini = Cached(path);
    if (!ini)
        return std::nullopt;
    const size_t header = FindSection(*ini, section);
    if (header == ini->lines.size())
        return std::nullopt;
    const std::optional<size_t> at = FindKey(*ini, header, key);
    if (!at)
        return std::nullopt;
    return ValueOf(ini->lines[*at]);
}

bool Save(const std::string& path, const IniFile& ini)
{
    AtomicFile file(path, AtomicFile::Links::Follow);
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

// Names and values that the file can hold and give back as they were: no
// line break, no ']' in a section, no '=' in a key, no name with blanks
// around it (reading trims them), no key that would read as a section.
bool Storable(const ProfileEntry& e)
{
    return !HasAny(e.section, "\r\n]") && !HasAny(e.key, "\r\n=") && !HasAny(e.value, "\r\n") &&
           !Trim(e.key).empty() && Trim(e.key) == e.key && Trim(e.section) == e.section && e.key.front() != '[';
}

// Where a new key of the section goes: after its last line that is not
// blank, so that a blank line before the next section stays where it is. A
// missing section is added at the end.
size_t NewKeyPlace(IniFile& ini, const std::string& section)
{
    std::vector<Line>& lines = ini.lines;
    const size_t header = FindSection(ini, section);
    if (header == lines.size()) {
        if (!lines.empty() && lines.back().end.empty())
            lines.back().end = ini.lineEnd;
        lines.push_back({"[" + section + "]", ini.lineEnd});
        return lines.size();
    }
    size_t at = SectionEnd(ini, header);
    while (at > header + 1 && Trim(lines[at - 1].text).empty())
        --at;
    if (lines[at - 1].end.empty())
        lines[at - 1].end = ini.lineEnd;
    return at;
}

void Set(IniFile& ini, const ProfileEntry& e)
{
    std::vector<Line>& lines = ini.lines;
    const size_t header = FindSection(ini, e.section);
    if (header < lines.size()) {
        if (const std::optional<size_t> existing = FindKey(ini, header, e.key)) {
            // The key keeps the spelling the file gave it.
            lines[*existing].text = *KeyOf(lines[*existing]) + "=" + e.value;
            return;
        }
    }
    const size_t at = NewKeyPlace(ini, e.section);
    lines.insert(lines.begin() + std::ptrdiff_t(at), Line{e.key + "=" + e.value, ini.lineEnd});
}

// The indexes of the section's key lines, in order.
std::vector<size_t> KeyLines(const IniFile& ini, const std::string& section)
{
    std::vector<size_t> at;
    const size_t header = FindSection(ini, section);
    if (header == ini.lines.size())
        return at;
    const size_t end = SectionEnd(ini, header);
    for (size_t i = header + 1; i < end; ++i)
        if (KeyOf(ini.lines[i]))
            at.push_back(i);
    return at;
}

ProfileKeys KeysAt(const IniFile& ini, const std::vector<size_t>& at)
{
    ProfileKeys keys;
    for (size_t i : at)
        keys.push_back({*KeyOf(ini.lines[i]), ValueOf(ini.lines[i])});
    return keys;
}

// An advisory lock on a file beside the settings, held while the file is
// read, changed and replaced, so that viewers closing together each keep
// the other's keys. A holder that is stuck is waited for two seconds at
// most, and a lock that cannot be made (a folder in its place) is done
// without: the settings are then written all the same, and the log says so.
class FileLock {
public:
    explicit FileLock(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        if (fd_ < 0) {
            LogMessage("Settings lock " + path + " cannot be made (" + std::strerror(errno) +
                       "); the settings are written without it");
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kLockWait;
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
                LogMessage("Settings lock " + path + " not had within 2 s (" + std::strerror(errno) +
                           "); the settings are written without it");
                ::close(fd_);
                fd_ = -1;
                return;
            }
            std::this_thread::sleep_for(kLockPoll);
        }
    }
    ~FileLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    static constexpr auto kLockWait = std::chrono::seconds(2);
    static constexpr auto kLockPoll = std::chrono::milliseconds(10);
    int fd_ = -1;
};

bool SetAll(IniFile& ini, const std::vector<ProfileEntry>& entries)
{
    for (const ProfileEntry& e : entries)
        Set(ini, e);
    return true;
}

// Under ProfileMutex. The file is read again under the lock: another
// process may have written it since this run read it. `change` refuses by
// returning false, and the file then stays as it was.
bool Commit(const std::string& path, const std::function<bool(IniFile&)>& change)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return false;
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    const FileLock lock(path + ".lock");
    std::optional<IniFile> ini = Load(path);
    if (!ini || !change(*ini))
        return false;
    if (!Save(path, *ini))
        return false;
    TheCache() = Cache{path, std::move(ini)};
    return true;
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
    TheCache().reset();
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
    return WriteProfileStrings({{section, key, value}});
}

bool WriteProfileStrings(const std::vector<ProfileEntry>& entries)
{
    if (!std::all_of(entries.begin(), entries.end(), Storable))
        return false;
    const std::string path = SettingsFilePath();
    std::lock_guard lock(ProfileMutex());
    Pending& pending = ThePending();
    if (pending.depth > 0) {
        pending.entries.insert(pending.entries.end(), entries.begin(), entries.end());
        return true;
    }
    return Commit(path, [&entries](IniFile& ini) { return SetAll(ini, entries); });
}

ProfileWriteBatch::ProfileWriteBatch()
{
    std::lock_guard lock(ProfileMutex());
    ++ThePending().depth;
}

ProfileWriteBatch::~ProfileWriteBatch()
{
    const std::string path = SettingsFilePath();
    std::lock_guard lock(ProfileMutex());
    Pending& pending = ThePending();
    if (--pending.depth == 0 && !pending.entries.empty())
        Commit(path, [entries = std::exchange(pending.entries, {})](IniFile& ini) { return SetAll(ini, entries); });
}

}  // namespace plexo::platform

namespace plexo::platform {

ProfileKeys ReadProfileSection(const std::string& section)
{
    const std::string path = SettingsFilePath();
    std::lock_guard lock(ProfileMutex());
    const std::optional<IniFile>& ini = Cached(path);
    return ini ? KeysAt(*ini, KeyLines(*ini, section)) : ProfileKeys{};
}

bool RewriteProfileSection(const std::string& section, const std::function<ProfileKeys(ProfileKeys)>& change)
{
    if (!Storable({section, "key", ""}))
        return false;
    const std::string path = SettingsFilePath();
    std::lock_guard lock(ProfileMutex());
    return Commit(path, [&](IniFile& ini) {
        const std::vector<size_t> at = KeyLines(ini, section);
        const ProfileKeys keys = change(KeysAt(ini, at));
        if (!std::all_of(keys.begin(), keys.end(),
                         [&](const ProfileKey& k) { return Storable({section, k.key, k.value}); }))
            return false;
        for (auto i = at.rbegin(); i != at.rend(); ++i)
            ini.lines.erase(ini.lines.begin() + std::ptrdiff_t(*i));
        if (keys.empty())
            return true;
        // Where the first key was, so the section's other lines stay in place.
        size_t next = at.empty() ? NewKeyPlace(ini, section) : at.front();
        for (const ProfileKey& k : keys)
            ini.lines.insert(ini.lines.begin() + std::ptrdiff_t(next++), Line{k.key + "=" + k.value, ini.lineEnd});
        return true;
    });
}

}  // namespace plexo::platform
