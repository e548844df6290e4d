#include "image/layout_name_words.h"

#include <string>
#include <vector>

namespace plexo {

namespace {

std::string_view BaseName(std::string_view path)
{
    const size_t slash = path.rfind('/');
    if (slash != std::string_view::npos)
        path.remove_prefix(slash + 1);
    const size_t dot = path.rfind('.');
    return dot == std::string_view::npos ? path : path.substr(0, dot);
}

bool Separator(char c) { return c == '.' || c == '_' || c == '-' || c == ' ' || c == '\t'; }

std::vector<std::string> LowerWords(std::string_view name)
{
    std::vector<std::string> words(1);
    for (char c : name) {
        if (Separator(c)) {
            if (!words.back().empty())
                words.emplace_back();
        } else {
            words.back() += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        }
    }
    if (words.back().empty())
        words.pop_back();
    return words;
}

// A layout word of the name, and whether it states the eyes' size.
struct NamedLayout {
    StereoLayout layout;
    std::optional<bool> half;
};

// The layout of a word that names one on its own, without its order:
// "sbs", "tb", "ou", "tab", each also with "h" (half) or "f" (full) before it.
std::optional<NamedLayout> LayoutOfWord(std::string_view word)
{
    std::optional<bool> half;
    if (word.size() > 2 && (word[0] == 'h' || word[0] == 'f')) {
        half = word[0] == 'h';
        word.remove_prefix(1);
    }
    if (word == "sbs" || word == "3dh")
        return NamedLayout{{LayoutKind::SideBySide, half.value_or(false), false}, half};
    if (word == "tb" || word == "ou" || word == "tab" || word == "3dv")
        return NamedLayout{{LayoutKind::TopBottom, half.value_or(false), false}, half};
    return std::nullopt;
}

bool OrderWord(const std::string& word) { return word == "lr" || word == "rl"; }

// "bt", bottom-top: top-bottom with the right eye on top, as "rl" is side by
// side with the right eye first.
bool BottomTopWord(const std::string& word) { return word == "bt"; }

std::optional<NamedLayout> NameLayout(std::string_view path)
{
    const std::vector<std::string> words = FileNameWords(path);
    for (size_t i = 0; i < words.size(); ++i) {
        // "half sbs", "h-sbs" and "full sbs" are one layout of two words.
        size_t last = i;
        std::optional<NamedLayout> named = LayoutOfWord(words[i]);
        const std::string& word = words[i];
        if (!named && (word == "half" || word == "h" || word == "full") && i + 1 < words.size()) {
            named = LayoutOfWord(words[i + 1]);
            if (named && !named->half) {
                named->half = word != "full";
                named->layout.half = *named->half;
                last = i + 1;
            } else {
                named.reset();
            }
        }
        if (!named && BottomTopWord(word))
            return NamedLayout{{LayoutKind::TopBottom, false, true}, std::nullopt};
        if (!named)
            continue;
        if (last + 1 < words.size() && OrderWord(words[last + 1]))
            named->layout.rightFirst = words[last + 1] == "rl";
        else if (i > 0 && OrderWord(words[i - 1]))
            named->layout.rightFirst = words[i - 1] == "rl";
        return named;
    }
    for (const std::string& word : words)
        if (OrderWord(word))
            return NamedLayout{{LayoutKind::SideBySide, false, word == "rl"}, std::nullopt};
    return std::nullopt;
}

}  // namespace

std::vector<std::string> FileNameWords(std::string_view path) { return LowerWords(BaseName(path)); }

std::optional<StereoLayout> LayoutOfFileName(std::string_view path)
{
    const std::optional<NamedLayout> named = NameLayout(path);
    return named ? std::optional(named->layout) : std::nullopt;
}

std::optional<bool> HalfOfFileName(std::string_view path)
{
    const std::optional<NamedLayout> named = NameLayout(path);
    return named ? named->half : std::nullopt;
}

}  // namespace plexo
