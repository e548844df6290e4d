#include "subtitle/subtitle_depth.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace plexo::subtitle {

std::optional<DepthChoice> ParseDepth(const std::string& text)
{
    if (text == "auto")
        return DepthChoice{DepthMode::Automatic, 0};
    if (text == "authored")
        return DepthChoice{DepthMode::AsAuthored, 0};
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < -kMaxFixedDepth || value > kMaxFixedDepth)
        return std::nullopt;
    return DepthChoice{DepthMode::Fixed, value};
}

std::string DepthText(const DepthChoice& choice)
{
    switch (choice.mode) {
    case DepthMode::Automatic:
        return "auto";
    case DepthMode::AsAuthored:
        return "authored";
    case DepthMode::Fixed:
        break;
    }
    return std::to_string(choice.fixed);
}

int AutoDepth::Next(int64_t eventStart, int64_t eventEnd, std::optional<int> nearest, std::optional<int> ahead)
{
    // What is under the text now, and the nearest of that and what the look
    // over the event found, each plus the margin (INT_MIN: nothing); plain
    // ints, as an optional here trips GCC's maybe-uninitialized under
    // ThreadSanitizer.
    const bool under = nearest.has_value();
    const int front = under ? *nearest + kDepthMargin : INT_MIN;
    const bool longEvent = eventEnd - eventStart > kLookAheadLimitUs;
    const int looked = ahead && !longEvent ? *ahead + kDepthMargin : INT_MIN;
    const int measured = std::max(front, looked);
    if (event_ != eventStart) {
        event_ = eventStart;
        // A new event starts in front of what it will pass over when that is
        // known, else of what is under it now; with neither, on the screen
        // plane.
        held_ = measured == INT_MIN ? 0 : measured;
        return held_;
    }
    // An answer from ahead that came after the event began raises the depth
    // to what it found, and holds it there.
    held_ = std::max(held_, measured);
    if (longEvent && under && front < held_)
        held_ -= 1;
    if (measured != INT_MIN)
        held_ = std::min(held_, measured + kMaxDepthBeyond);
    return held_;
}

}  // namespace plexo::subtitle
