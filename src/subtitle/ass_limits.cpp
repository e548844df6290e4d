#include "subtitle/ass_limits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace plexo::subtitle {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A number as libass reads a tag's: leading spaces, a sign, then as much
// of a number as there is; 0 when there is none.
double Number(std::string_view s)
{
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    double value = 0;
    if (std::from_chars(s.data(), s.data() + s.size(), value).ec == std::errc::result_out_of_range)
        value = s.find_first_of("eE") != std::string_view::npos && s.find("-") != std::string_view::npos ? 0 : HUGE_VAL;
    return negative ? -value : value;
}

std::string Format(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// `value` no larger than `most` (a value that is no number is taken as it).
bool Cap(double& value, double most)
{
    if (value <= most)
        return false;
    value = most;
    return true;
}

// The largest font size whose glyphs at these scales fit the frame; a
// scale of 0 or less leaves the frame's height.
double MostFontSize(const AssBounds& bounds, double scaleX, double scaleY)
{
    constexpr double kLeast = 1e-6;
    return std::min({bounds.height, bounds.height / std::max(scaleY, kLeast), bounds.width / std::max(scaleX, kLeast)});
}

class Rewriter {
public:
    Rewriter(const GlyphSize& start, const std::function<GlyphSize(std::string_view)>& styleNamed,
             const AssBounds& bounds)
        : start_(start), styleNamed_(styleNamed), bounds_(bounds), now_(start)
    {
    }

    int cuts = 0;

    // The text of an override block, between its braces, or of a \t tag's
    // parentheses.
    std::string Block(std::string_view b)
    {
        std::string out;
        size_t at = 0;
        while (at < b.size()) {
            if (b[at] != '\\') {
                out += b[at++];
                continue;
            }
            // A tag as libass splits it: its name and bare argument run to
            // a parenthesis or the next backslash; parenthesized arguments
            // run to the closing one.
            size_t name = at + 1;
            while (name < b.size() && (b[name] == ' ' || b[name] == '\t'))
                ++name;
            size_t q = name;
            while (q < b.size() && b[q] != '(' && b[q] != '\\')
                ++q;
            std::optional<std::string_view> inside;
            size_t end = q;
            bool closed = false;
            if (q < b.size() && b[q] == '(') {
                const size_t close = b.find(')', q);
                closed = close != std::string_view::npos;
                end = closed ? close + 1 : b.size();
                inside = b.substr(q + 1, (closed ? close : b.size()) - q - 1);
            }
            const std::string_view whole = b.substr(at, end - at);
            out += Tag(b.substr(name, q - name), inside, closed).value_or(std::string(whole));
            at = end;
        }
        return out;
    }

private:
    // The tag rewritten, or nullopt to keep it as it is.
    std::optional<std::string> Tag(std::string_view name, std::optional<std::string_view> inside, bool closed)
    {
        if (!name.empty() && name[0] == 't' && inside) {
            // An animation ends at the values of the tags it holds.
            return "\\" + std::string(name) + "(" + Block(*inside) + (closed ? ")" : "");
        }
        const auto is = [&](std::string_view tag) {
            if (name.substr(0, tag.size()) != tag)
                return false;
            // libass's argument: the first in parentheses, else the bare one.
            argument_ = Trim(name.substr(tag.size()));
            if (inside) {
                const std::string_view first = Trim(inside->substr(0, inside->find_first_of(",\\")));
                if (!first.empty())
                    argument_ = first;
            }
            return true;
        };
        const auto rewritten = [&](std::string_view tag, double value) {
            ++cuts;
            return "\\" + std::string(tag) + Format(value);
        };
        for (const std::string_view tag : {"xbord", "ybord", "blur", "bord"})
            if (is(tag)) {
                double value = Number(argument_);
                if (!argument_.empty() && Cap(value, tag == "blur" ? bounds_.blur : bounds_.border))
                    return rewritten(tag, value);
                return std::nullopt;
            }
        if (is("fscx") || is("fscy")) {
            const bool x = name[3] == 'x';
            double& scale = x ? now_.scaleX : now_.scaleY;
            if (argument_.empty()) {
                scale = x ? start_.scaleX : start_.scaleY;
                return std::nullopt;
            }
            scale = std::max(0.0, Number(argument_) / 100);
            const double most = now_.size > 0 ? std::min(kMaxGlyphScale, (x ? bounds_.width : bounds_.height) / now_.size)
                                              : kMaxGlyphScale;
            if (Cap(scale, most))
                return rewritten(x ? "fscx" : "fscy", scale * 100);
            return std::nullopt;
        }
        if (is("fsc")) {
            now_.scaleX = start_.scaleX;
            now_.scaleY = start_.scaleY;
            return std::nullopt;
        }
        if (is("fsp"))
            return std::nullopt;
        if (is("fs")) {
            double value = Number(argument_);
            if (!argument_.empty() && (argument_[0] == '+' || argument_[0] == '-'))
                value = now_.size * (1 + value / 10);
            if (argument_.empty() || !(value > 0))
                value = start_.size;
            const bool cut = Cap(value, MostSize(now_.scaleX, now_.scaleY));
            now_.size = value;
            return cut ? std::optional<std::string>(rewritten("fs", value)) : std::nullopt;
        }
        if (is("r")) {
            now_ = argument_.empty() ? start_ : styleNamed_(argument_);
            return std::nullopt;
        }
        return std::nullopt;
    }

    double MostSize(double scaleX, double scaleY) const { return MostFontSize(bounds_, scaleX, scaleY); }

    GlyphSize start_;
    const std::function<GlyphSize(std::string_view)>& styleNamed_;
    AssBounds bounds_;
    GlyphSize now_;
    std::string_view argument_;
};

}  // namespace

std::string BoundOverrides(std::string_view text, const GlyphSize& start,
                           const std::function<GlyphSize(std::string_view)>& styleNamed, const AssBounds& bounds,
                           int& cuts)
{
    Rewriter rewriter(start, styleNamed, bounds);
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('{', at);
        const size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, open + 1 - at);
        out += rewriter.Block(text.substr(open + 1, close - open - 1));
        out += '}';
        at = close + 1;
    }
    cuts += rewriter.cuts;
    return out;
}

int BoundTrack(ASS_Track& track)
{
    // The script's frame as libass takes it when the header names none.
    if (track.PlayResX <= 0 && track.PlayResY <= 0) {
        track.PlayResX = 384;
        track.PlayResY = 288;
    } else if (track.PlayResY <= 0) {
        track.PlayResY = track.PlayResX == 1280 ? 1024 : int(std::max<int64_t>(1, int64_t(track.PlayResX) * 3 / 4));
    } else if (track.PlayResX <= 0) {
        track.PlayResX = track.PlayResY == 1024 ? 1280 : int(std::max<int64_t>(1, int64_t(track.PlayResY) * 4 / 3));
    }
    AssBounds bounds;
    bounds.height = track.PlayResY;
    bounds.width = std::max(bounds.height, std::min<double>(track.PlayResX, 4 * bounds.height));
    // Unscaled borders and blurs count the video's pixels, whatever the
    // script's frame.
    const double unit = track.ScaledBorderAndShadow ? bounds.height : std::min(bounds.height, 2160.0);
    bounds.blur = unit / 16;
    bounds.border = unit / 4;

    int changed = 0;
    for (int i = 0; i < track.n_styles; ++i) {
        ASS_Style& style = track.styles[i];
        bool cut = false;
        for (double* scale : {&style.ScaleX, &style.ScaleY})
            if (!(*scale <= kMaxGlyphScale)) {
                *scale = kMaxGlyphScale;
                cut = true;
            }
        for (auto [value, most] : {std::pair{&style.Outline, bounds.border}, std::pair{&style.Blur, bounds.blur},
                                   std::pair{&style.FontSize, MostFontSize(bounds, style.ScaleX, style.ScaleY)}})
            if (!(*value <= most)) {
                *value = most;
                cut = true;
            }
        changed += cut;
    }
    const auto sizeOf = [](const ASS_Style& s) { return GlyphSize{s.FontSize, s.ScaleX, s.ScaleY}; };
    for (int i = 0; i < track.n_events; ++i) {
        ASS_Event& event = track.events[i];
        if (!event.Text || track.n_styles <= 0)
            continue;
        const int styleIndex = event.Style >= 0 && event.Style < track.n_styles ? event.Style : 0;
        const GlyphSize start = sizeOf(track.styles[styleIndex]);
        const std::function<GlyphSize(std::string_view)> named = [&](std::string_view name) {
            for (int s = track.n_styles - 1; s >= 0; --s)
                if (track.styles[s].Name && name == track.styles[s].Name)
                    return sizeOf(track.styles[s]);
            return start;
        };
        int cuts = 0;
        std::string text = BoundOverrides(event.Text, start, named, bounds, cuts);
        if (cuts == 0)
            continue;
        char* copy = static_cast<char*>(std::malloc(text.size() + 1));
        if (!copy)
            continue;
        std::memcpy(copy, text.c_str(), text.size() + 1);
        std::free(event.Text);
        event.Text = copy;
        ++changed;
    }
    return changed;
}

}  // namespace plexo::subtitle
