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

// The layout of a word that names one on its own, without its order.
std::optional<StereoLayout> LayoutOfWord(const std::string& word)
{
    if (word == "sbs")
        return StereoLayout{LayoutKind::SideBySide, false, false};
    if (word == "tb" || word == "ou")
        return StereoLayout{LayoutKind::TopBottom, false, false};
    if (word == "hsbs")
        return StereoLayout{LayoutKind::SideBySide, true, false};
    if (word == "htb" || word == "hou")
        return StereoLayout{LayoutKind::TopBottom, true, false};
    return std::nullopt;
}

bool OrderWord(const std::string& word) { return word == "lr" || word == "rl"; }

}  // namespace

std::optional<StereoLayout> LayoutOfFileName(std::string_view path)
{
    const std::vector<std::string> words = LowerWords(BaseName(path));
    for (size_t i = 0; i < words.size(); ++i) {
        // "half sbs" is one layout of two words.
        size_t last = i;
        std::optional<StereoLayout> layout = LayoutOfWord(words[i]);
        if (!layout && words[i] == "half" && i + 1 < words.size()) {
            layout = LayoutOfWord(words[i + 1]);
            if (layout && !layout->half) {
                layout->half = true;
                last = i + 1;
            } else {
                layout.reset();
            }
        }
        if (!layout)
            continue;
        if (last + 1 < words.size() && OrderWord(words[last + 1]))
            layout->rightFirst = words[last + 1] == "rl";
        else if (i > 0 && OrderWord(words[i - 1]))
            layout->rightFirst = words[i - 1] == "rl";
        return layout;
    }
    for (const std::string& word : words)
        if (OrderWord(word))
            return StereoLayout{LayoutKind::SideBySide, false, word == "rl"};
    return std::nullopt;
}

}  // namespace plexo
