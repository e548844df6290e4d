#pragma once
// How a picture holds the two eyes of a stereo view, where that knowledge came
// from, and the split of a whole picture into its eyes.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "image/picture.h"

namespace plexo {

enum class LayoutKind { Mono, SideBySide, TopBottom };

struct StereoLayout {
    LayoutKind kind = LayoutKind::Mono;
    // Each eye squeezed to half the width (side by side) or height
    // (top-bottom), so the whole picture has the size of one eye.
    bool half = false;
    // The second (right) eye stored first: on the left, or on top.
    bool rightFirst = false;

    bool operator==(const StereoLayout&) const = default;
    bool mono() const { return kind == LayoutKind::Mono; }
};

// Who said what the layout is: the stream's stereo metadata (or a still's own
// block), a video's frame-packing message, the file's name, the user's choice,
// or nobody; a HEIF file's stereo pair group (`ster`).
enum class LayoutOrigin { Metadata, Sei, Name, User, None, Ster };

struct SourceLayout {
    StereoLayout layout;
    LayoutOrigin origin = LayoutOrigin::None;

    bool operator==(const SourceLayout&) const = default;
};

// The user's choice of layout for one file; empty for "Automatic", which lets
// the file say.
using LayoutChoice = std::optional<StereoLayout>;

// A still picture's layout: the user's choice when there is one, else the
// layout of the file's name.
SourceLayout ChosenOrNamed(const LayoutChoice& choice, const std::string& path);

// Whether a side-by-side or top-bottom frame of `width` x `height` pixels,
// whose metadata says only which, holds its eyes squeezed to half. In order:
// the stream's sample aspect (width over height of a sample, 0 when unset)
// where it is not square, half when it stretches the squeezed side to nearer
// twice than once; else the size the file's name states; else the frame's
// shape, as 3D displays take it: side by side under 2.5:1 and top-bottom
// wider than 1.2:1 are half.
bool HalfEyes(LayoutKind kind, double sampleAspect, std::string_view path, int width, int height);

// The words of plexo-tool's --source-layout: mono, sbs, sbs-rl, tb, tb-rl,
// hsbs, hsbs-rl, htb, htb-rl. Empty for any other word.
std::optional<StereoLayout> LayoutNamed(std::string_view word);
// The word of a layout among those; every layout has one.
std::string LayoutWord(const StereoLayout& layout);

// plexo-tool info's text: "side-by-side half right-first (name)",
// "mono (none)".
std::string LayoutText(const SourceLayout& source);

// Where each eye lies in a whole picture of `width` x `height`, first eye
// first, rows counted from the top. A mono picture is both eyes. Of an odd
// width or height, each eye has the smaller half and the middle column or
// row belongs to neither.
struct EyePlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
std::array<EyePlace, 2> EyePlaces(int width, int height, const StereoLayout& layout);

// The two eyes of a whole picture as views into it that keep its stride, at
// their places.
struct EyeViews {
    Picture first;
    Picture second;
};
EyeViews SplitEyes(const Picture& whole, const StereoLayout& layout);

}  // namespace plexo
