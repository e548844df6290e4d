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
    // What is under the text now, plus the margin; a plain int, as an
    // optional here trips GCC's maybe-uninitialized under ThreadSanitizer.
    const bool under = nearest.has_value();
    const int front = under ? *nearest + kDepthMargin : 0;
    const bool isNew = event_ != eventStart;
    const bool longEvent = eventEnd - eventStart > kLookAheadLimitUs;
    if (isNew) {
        event_ = eventStart;
        // A new event starts in front of what it will pass over when that is
        // known, else of what is under it now; with neither, on the screen
        // plane.
        int start = INT_MIN;
        if (ahead && !longEvent)
            start = *ahead + kDepthMargin;
        if (under)
            start = std::max(start, front);
        held_ = start == INT_MIN ? 0 : start;
        return held_;
    }
    // An answer from ahead that came after the event began raises the depth
    // to what it found, and holds it there.
    if (ahead && !longEvent)
        held_ = std::max(held_, *ahead + kDepthMargin);
    if (under && front > held_)
        held_ = front;
    else if (longEvent && under && front < held_)
        held_ -= 1;
    return held_;
}

}  // namespace plexo::subtitle
