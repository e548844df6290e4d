#include "image/stereo_layout.h"

#include <cmath>
#include <utility>

#include "image/layout_name_words.h"

namespace plexo {

namespace {

struct NamedLayout {
    const char* word;
    StereoLayout layout;
};

constexpr NamedLayout kWords[] = {
    {"mono", {LayoutKind::Mono, false, false}},
    {"sbs", {LayoutKind::SideBySide, false, false}},
    {"sbs-rl", {LayoutKind::SideBySide, false, true}},
    {"tb", {LayoutKind::TopBottom, false, false}},
    {"tb-rl", {LayoutKind::TopBottom, false, true}},
    {"hsbs", {LayoutKind::SideBySide, true, false}},
    {"hsbs-rl", {LayoutKind::SideBySide, true, true}},
    {"htb", {LayoutKind::TopBottom, true, false}},
    {"htb-rl", {LayoutKind::TopBottom, true, true}},
};

const char* OriginWord(LayoutOrigin origin)
{
    switch (origin) {
    case LayoutOrigin::Metadata:
        return "metadata";
    case LayoutOrigin::Sei:
        return "sei";
    case LayoutOrigin::Name:
        return "name";
    case LayoutOrigin::User:
        return "user";
    case LayoutOrigin::Ster:
        return "ster";
    case LayoutOrigin::None:
        break;
    }
    return "none";
}

}  // namespace

SourceLayout ChosenOrNamed(const LayoutChoice& choice, const std::string& path)
{
    if (choice)
        return {*choice, LayoutOrigin::User};
    if (const auto named = LayoutOfFileName(path))
        return {*named, LayoutOrigin::Name};
    return {};
}

bool HalfEyes(LayoutKind kind, double sampleAspect, std::string_view path, int width, int height)
{
    if (kind == LayoutKind::Mono || width <= 0 || height <= 0)
        return false;
    const bool across = kind == LayoutKind::SideBySide;
    // Twice against once, met halfway on a ratio's scale.
    const double midway = std::sqrt(2.0);
    if (sampleAspect > 0 && sampleAspect != 1)
        return across ? sampleAspect > midway : sampleAspect < 1 / midway;
    if (const std::optional<bool> named = HalfOfFileName(path))
        return *named;
    const double shape = double(width) / double(height);
    return across ? shape < 2.5 : shape > 1.2;
}

std::optional<StereoLayout> LayoutNamed(std::string_view word)
{
    for (const NamedLayout& named : kWords)
        if (word == named.word)
            return named.layout;
    return std::nullopt;
}

std::string LayoutWord(const StereoLayout& layout)
{
    // A mono layout's order and half mean nothing.
    for (const NamedLayout& named : kWords)
        if (named.layout == layout || (layout.mono() && named.layout.mono()))
            return named.word;
    return "mono";
}

std::string LayoutText(const SourceLayout& source)
{
    const StereoLayout& l = source.layout;
    std::string text = l.kind == LayoutKind::SideBySide ? "side-by-side"
                       : l.kind == LayoutKind::TopBottom ? "top-bottom"
                                                          : "mono";
    if (!l.mono())
        text += std::string(l.half ? " half" : "") + (l.rightFirst ? " right-first" : " left-first");
    return text + " (" + OriginWord(source.origin) + ")";
}

std::array<EyePlace, 2> EyePlaces(int width, int height, const StereoLayout& layout)
{
    const EyePlace whole{0, 0, width, height};
    if (layout.mono())
        return {whole, whole};
    std::array<EyePlace, 2> stored;  // left or top first, as stored
    if (layout.kind == LayoutKind::SideBySide) {
        const int w = width / 2;
        stored = {EyePlace{0, 0, w, height}, EyePlace{width - w, 0, w, height}};
    } else {
        const int h = height / 2;
        stored = {EyePlace{0, 0, width, h}, EyePlace{0, height - h, width, h}};
    }
    if (layout.rightFirst)
        std::swap(stored[0], stored[1]);
    return stored;
}

EyeViews SplitEyes(const Picture& whole, const StereoLayout& layout)
{
    if (!whole)
        return {};
    Picture eyes[2];
    const std::array<EyePlace, 2> places = EyePlaces(whole.width, whole.height, layout);
    for (int eye = 0; eye < 2; ++eye) {
        // Rows go bottom first: a place's top row is the picture's higher row.
        const EyePlace& place = places[size_t(eye)];
        eyes[eye] = whole.subview(place.left, whole.height - place.top - place.height, place.width, place.height);
        if (!eyes[eye])
            return {};
    }
    return {eyes[0], eyes[1]};
}

}  // namespace plexo
