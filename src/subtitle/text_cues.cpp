#include "subtitle/text_cues.h"

#include <cctype>
#include <cstring>

namespace plexo::subtitle {

namespace {

// "HH:MM:SS,mmm" (SubRip) or "[HH:]MM:SS.mmm" (WebVTT; SubRip files in the
// wild use either separator); the milliseconds, and `at` moved past it.
std::optional<int64_t> ReadTime(const std::string& line, size_t& at)
{
    int64_t fields[3] = {0, 0, 0};
    int count = 0;
    while (count < 3) {
        size_t digits = 0;
        int64_t value = 0;
        while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at])) && digits < 9) {
            value = value * 10 + (line[at++] - '0');
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        fields[count++] = value;
        if (at < line.size() && line[at] == ':')
            ++at;
        else
            break;
    }
    if (count < 2 || at >= line.size() || (line[at] != ',' && line[at] != '.'))
        return std::nullopt;
    ++at;
    int64_t ms = 0;
    int places = 0;
    while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) {
        if (places < 3) {
            ms = ms * 10 + (line[at] - '0');
            ++places;
        }
        ++at;
    }
    if (places == 0)
        return std::nullopt;
    while (places++ < 3)
        ms *= 10;
    const int64_t hours = count == 3 ? fields[0] : 0;
    const int64_t minutes = fields[count - 2];
    const int64_t seconds = fields[count - 1];
    if (minutes > 59 || seconds > 59)
        return std::nullopt;
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + ms;
}

// "START --> END ..." as a span; nullopt for any other line.
std::optional<std::pair<int64_t, int64_t>> ReadTimeLine(const std::string& line)
{
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos)
        return std::nullopt;
    const auto start = ReadTime(line, at);
    if (!start)
        return std::nullopt;
    const size_t arrow = line.find("-->", at);
    if (arrow == std::string::npos || line.find_first_not_of(" \t", at) != arrow)
        return std::nullopt;
    at = line.find_first_not_of(" \t", arrow + 3);
    if (at == std::string::npos)
        return std::nullopt;
    const auto end = ReadTime(line, at);
    if (!end || *end <= *start)
        return std::nullopt;
    return std::pair{*start, *end};
}

// "#RRGGBB" or a few names as ASS's &HBBGGRR& colour; empty when unknown.
std::string AssColour(std::string value)
{
    for (char& c : value)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    static const std::pair<const char*, const char*> kNames[] = {
        {"white", "ffffff"}, {"black", "000000"}, {"red", "ff0000"},    {"green", "00ff00"},
        {"blue", "0000ff"},  {"yellow", "ffff00"}, {"cyan", "00ffff"}, {"magenta", "ff00ff"},
    };
    for (const auto& [name, hex] : kNames)
        if (value == name)
            value = std::string("#") + hex;
    if (value.size() != 7 || value[0] != '#')
        return {};
    for (size_t i = 1; i < 7; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(value[i])))
            return {};
    return "&H" + value.substr(5, 2) + value.substr(3, 2) + value.substr(1, 2) + "&";
}

// One tag's ASS form: "<i>" → "{\i1}", "</b>" → "{\b0}", a SubRip font
// colour → "{\c&HBBGGRR&}"; empty for the tags dropped.
std::string TagToAss(const std::string& tag)
{
    const bool closing = !tag.empty() && tag[0] == '/';
    std::string name = tag.substr(closing ? 1 : 0);
    const size_t end = name.find_first_of(" \t.=");
    const std::string bare = name.substr(0, end);
    if (bare == "i" || bare == "b" || bare == "u")
        return "{\\" + bare + (closing ? "0}" : "1}");
    if (bare == "font") {
        if (closing)
            return "{\\c}";
        const size_t colour = name.find("color=");
        if (colour == std::string::npos)
            return {};
        std::string value = name.substr(colour + 6);
        value.erase(0, value.find_first_not_of("\"'"));
        value = value.substr(0, value.find_first_of("\"' "));
        const std::string ass = AssColour(value);
        return ass.empty() ? std::string() : "{\\c" + ass + "}";
    }
    return {};
}

// The cue's text lines as ASS dialogue text. Braces and backslashes, which
// ASS would read as its own codes, become look-alikes.
std::string CueTextToAss(const std::vector<std::string>& lines, CueFormat format)
{
    std::string out;
    for (size_t l = 0; l < lines.size(); ++l) {
        if (l > 0)
            out += "\\N";
        const std::string& line = lines[l];
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '<') {
                const size_t close = line.find('>', i);
                if (close != std::string::npos) {
                    out += TagToAss(line.substr(i + 1, close - i - 1));
                    i = close;
                    continue;
                }
            }
            if (c == '&' && format == CueFormat::WebVtt) {
                static const std::pair<const char*, const char*> kEntities[] = {
                    {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&nbsp;", "\\h"}, {"&lrm;", ""}, {"&rlm;", ""}};
                bool decoded = false;
                for (const auto& [entity, text] : kEntities)
                    if (line.compare(i, std::strlen(entity), entity) == 0) {
                        out += text;
                        i += std::strlen(entity) - 1;
                        decoded = true;
                        break;
                    }
                if (decoded)
                    continue;
            }
            if (c == '{')
                out += "(";
            else if (c == '}')
                out += ")";
            else if (c == '\\')
                out += "\xE2\xA7\xB5";  // U+29F5, the reverse solidus operator
            else
                out += c;
        }
    }
    return out;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    // A byte-order mark before the first line.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start = 3;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::vector<TextEvent> ReadCues(const std::string& text, CueFormat format)
{
    const std::vector<std::string> lines = Lines(text);
    std::vector<TextEvent> events;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto span = ReadTimeLine(lines[i]);
        if (!span)
            continue;
        std::vector<std::string> body;
        size_t j = i + 1;
        for (; j < lines.size() && !lines[j].empty(); ++j) {
            // A cue with no blank line before the next one's number and time.
            if (j + 1 < lines.size() && ReadTimeLine(lines[j + 1]) && format == CueFormat::SubRip &&
                lines[j].find_first_not_of("0123456789") == std::string::npos)
                break;
            if (ReadTimeLine(lines[j]))
                break;
            body.push_back(lines[j]);
        }
        if (!body.empty())
            events.push_back({span->first, span->second - span->first, CueTextToAss(body, format)});
        i = j - 1;
    }
    return events;
}

}  // namespace plexo::subtitle
