#pragma once
// What the viewer keeps of each film it has shown, in the settings file's
// "Films" section: one key a film, the path it was opened by, newest first,
// for the last kMaxKeptFilms films. A value is a record of `name=value`
// fields separated by ';' ("dist=25;swap=1"), so that new fields join without
// a change of format; fields this version does not know are written back as
// they were.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plexo {

inline constexpr size_t kMaxKeptFilms = 200;

class FilmRecord {
public:
    FilmRecord() = default;
    // Parts without a name and '=' are dropped.
    explicit FilmRecord(std::string_view text);

    std::string text() const;
    bool empty() const { return fields_.empty(); }

    // The field as a whole decimal integer from -limit to limit; nullopt when
    // it is missing or anything else, so a hand-edited value is never trusted.
    std::optional<int32_t> Number(std::string_view name, int32_t limit) const;
    // The field as a finite decimal number from `low` to `high` ("29.97"),
    // read and written the same whatever the locale; nullopt otherwise.
    std::optional<double> Decimal(std::string_view name, double low, double high) const;
    // The field's text as it stands; nullopt when it is missing.
    std::optional<std::string> Text(std::string_view name) const;
    // The field as a word of letters, digits and '-' ("auto", "-12"), up to
    // 32 of them; nullopt when it is missing or anything else.
    std::optional<std::string> Word(std::string_view name) const;
    // In the field's place, or last when it is new.
    void SetText(std::string_view name, std::string value) { Set(name, std::move(value)); }
    void SetNumber(std::string_view name, int32_t value);
    // A word as Word reads it; anything else erases the field.
    void SetWord(std::string_view name, const std::string& word);
    void SetDecimal(std::string_view name, double value);
    // False when there was no such field.
    bool Erase(std::string_view name);

private:
    template <typename Value>
    std::optional<Value> Read(std::string_view name, Value low, Value high) const;
    void Set(std::string_view name, std::string value);

    std::vector<std::pair<std::string, std::string>> fields_;
};

// The key a film is kept under: its path made absolute; a two-film pair's is
// the first film's path, '|' and the second's, so that the pair keeps its own
// record beside the first film alone. Bytes a key cannot hold ('=', '%', '|',
// line breaks, blanks at either end) are written %XX.
std::string FilmKey(const std::vector<std::string>& paths);

// The film's record; empty when none is kept.
FilmRecord RecallFilm(const std::string& key);
// Puts the film first with its record, dropping the oldest beyond
// kMaxKeptFilms; an empty record forgets the film. False when the settings
// file cannot be written.
bool KeepFilm(const std::string& key, const FilmRecord& record);

}  // namespace plexo
