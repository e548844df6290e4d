#include <algorithm>
#include <charconv>

#include "tool/command.h"

namespace plexo::tool {

namespace {
std::optional<int> ParseInt(const std::string& text)
{
    int v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end)
        return std::nullopt;
    return v;
}
}  // namespace

Args::Args(const std::vector<std::string>& words, const std::vector<std::string>& flags)
    : flags_(flags)
{
    help_ = std::find(words.begin(), words.end(), "--help") != words.end() ||
            std::find(words.begin(), words.end(), "-h") != words.end();
    if (help_)
        return;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() > 2 && w.compare(0, 2, "--") == 0) {
            std::string name = w.substr(2);
            if (std::find(flags_.begin(), flags_.end(), name) != flags_.end()) {
                options_.emplace_back(name, "");
            } else if (i + 1 < words.size()) {
                options_.emplace_back(name, words[++i]);
            } else {
                error_ = "option --" + name + " needs a value";
                return;
            }
        } else {
            plain_.push_back(w);
        }
    }
}

bool Args::has(const std::string& name) const
{
    return std::any_of(options_.begin(), options_.end(), [&](const auto& o) { return o.first == name; });
}

std::optional<std::string> Args::value(const std::string& name) const
{
    for (auto it = options_.rbegin(); it != options_.rend(); ++it)
        if (it->first == name)
            return it->second;
    return std::nullopt;
}

std::optional<int> Args::integer(const std::string& name)
{
    auto text = value(name);
    if (!text)
        return std::nullopt;
    auto v = ParseInt(*text);
    if (!v)
        error_ = "--" + name + " takes a whole number, not '" + *text + "'";
    return v;
}

std::optional<int> Args::position(const std::string& name)
{
    const auto v = integer(name);
    if (v && *v < 0) {
        error_ = "--" + name + " takes a position from 0, not " + std::to_string(*v);
        return std::nullopt;
    }
    return v;
}

std::optional<std::pair<int, int>> Args::size(const std::string& name)
{
    auto text = value(name);
    if (!text)
        return std::nullopt;
    const size_t x = text->find('x');
    if (x != std::string::npos) {
        auto w = ParseInt(text->substr(0, x));
        auto h = ParseInt(text->substr(x + 1));
        if (w && h && *w >= 0 && *h >= 0)
            return std::make_pair(*w, *h);
    }
    error_ = "--" + name + " takes WIDTHxHEIGHT, not '" + *text + "'";
    return std::nullopt;
}

std::optional<std::string> Args::required(const std::string& name)
{
    auto text = value(name);
    if (!text && error_.empty())
        error_ = "--" + name + " is required";
    return text;
}

bool Args::plainCount(size_t count, const std::string& missing)
{
    if (plain_.size() < count)
        error_ = "missing " + missing;
    else if (plain_.size() > count)
        error_ = "unexpected argument '" + plain_[count] + "'";
    return plain_.size() == count;
}

bool Args::onlyKnown(const std::vector<std::string>& known)
{
    for (const auto& [name, v] : options_) {
        if (std::find(known.begin(), known.end(), name) == known.end() &&
            std::find(flags_.begin(), flags_.end(), name) == flags_.end()) {
            error_ = "unknown option --" + name;
            return false;
        }
    }
    return true;
}

}  // namespace plexo::tool
