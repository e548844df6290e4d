#include "doc/film_memory.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "platform/profile.h"

namespace plexo {

namespace {

constexpr const char* kFilms = "Films";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// What the settings file would not give back as a key: '=' ends a key, a
// leading '[' makes a section, blanks around a key are trimmed; '%' is the
// escape itself and '|' joins a pair's paths.
bool Escaped(const std::string& path, size_t i)
{
    const unsigned char c = static_cast<unsigned char>(path[i]);
    const bool end = i == 0 || i + 1 == path.size();
    return c < 0x20 || c == 0x7f || c == '%' || c == '=' || c == '|' || (i == 0 && c == '[') || (end && IsBlank(char(c)));
}

std::string Escape(const std::string& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string key;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (Escaped(path, i))
            key += {'%', kHex[c >> 4], kHex[c & 15]};
        else
            key += char(c);
    }
    return key;
}

std::string Absolute(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

}  // namespace

FilmRecord::FilmRecord(std::string_view text)
{
    while (!text.empty()) {
        const size_t end = std::min(text.find(';'), text.size());
        const std::string_view part = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const size_t eq = part.find('=');
        if (eq == std::string_view::npos || Trimmed(part.substr(0, eq)).empty())
            continue;
        fields_.emplace_back(Trimmed(part.substr(0, eq)), Trimmed(part.substr(eq + 1)));
    }
}

std::string FilmRecord::text() const
{
    std::string text;
    for (const auto& [name, value] : fields_)
        text += (text.empty() ? "" : ";") + name + '=' + value;
    return text;
}

template <typename Value>
std::optional<Value> FilmRecord::Read(std::string_view name, Value low, Value high) const
{
    for (const auto& [field, value] : fields_) {
        if (field != name)
            continue;
        Value number{};
        const char* end = value.data() + value.size();
        const auto [stop, error] = std::from_chars(value.data(), end, number);
        // Written this way, NaN fails both comparisons.
        if (error != std::errc() || stop != end || !(number >= low && number <= high))
            return std::nullopt;
        return number;
    }
    return std::nullopt;
}

std::optional<std::string> FilmRecord::Text(std::string_view name) const
{
    for (const auto& [field, value] : fields_)
        if (field == name)
            return value;
    return std::nullopt;
}

std::optional<int32_t> FilmRecord::Number(std::string_view name, int32_t limit) const
{
    return Read<int32_t>(name, -limit, limit);
}

std::optional<double> FilmRecord::Decimal(std::string_view name, double low, double high) const
{
    return Read<double>(name, low, high);
}

void FilmRecord::Set(std::string_view name, std::string value)
{
    for (auto& [field, text] : fields_) {
        if (field == name) {
            text = std::move(value);
            return;
        }
    }
    fields_.emplace_back(name, std::move(value));
}

namespace {

bool IsWord(std::string_view text)
{
    return !text.empty() && text.size() <= 32 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    });
}

}  // namespace

std::optional<std::string> FilmRecord::Word(std::string_view name) const
{
    for (const auto& [field, value] : fields_)
        if (field == name)
            return IsWord(value) ? std::optional<std::string>(value) : std::nullopt;
    return std::nullopt;
}

void FilmRecord::SetWord(std::string_view name, const std::string& word)
{
    if (IsWord(word))
        Set(name, word);
    else
        Erase(name);
}

void FilmRecord::SetNumber(std::string_view name, int32_t value)
{
    Set(name, std::to_string(value));
}

void FilmRecord::SetDecimal(std::string_view name, double value)
{
    // The shortest text that reads back as the same number.
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    Set(name, error == std::errc() ? std::string(text, end) : std::string());
}

bool FilmRecord::Erase(std::string_view name)
{
    return std::erase_if(fields_, [name](const auto& field) { return field.first == name; }) > 0;
}

std::string FilmKey(const std::vector<std::string>& paths)
{
    std::string key;
    for (const std::string& path : paths)
        key += (key.empty() ? "" : "|") + Escape(Absolute(path));
    return key;
}

FilmRecord RecallFilm(const std::string& key)
{
    for (const platform::ProfileKey& film : platform::ReadProfileSection(kFilms))
        if (film.key == key)
            return FilmRecord(film.value);
    return {};
}

bool KeepFilm(const std::string& key, const FilmRecord& record)
{
    return platform::RewriteProfileSection(kFilms, [&](platform::ProfileKeys films) {
        // A hand-written line without a key could never be written back.
        std::erase_if(films, [&](const platform::ProfileKey& film) { return film.key == key || film.key.empty(); });
        if (!record.empty())
            films.insert(films.begin(), {key, record.text()});
        if (films.size() > kMaxKeptFilms)
            films.resize(kMaxKeptFilms);
        return films;
    });
}

}  // namespace plexo
