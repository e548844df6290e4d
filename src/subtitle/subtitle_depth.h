#pragma once
// Where a subtitle stands in depth: its disparity, by the user's choice.

#include <cstdint>
#include <optional>
#include <string>

namespace plexo::subtitle {

enum class DepthMode {
    // In front of the nearest content under the subtitle, held for its event.
    Automatic,
    // A disparity the user set.
    Fixed,
    // Drawn as the file lays it out: a 3D rip's subtitles, one copy in each
    // half of the frame.
    AsAuthored,
};

struct DepthChoice {
    DepthMode mode = DepthMode::Automatic;
    // The fixed disparity in pixels, positive in front of the screen.
    int fixed = 0;

    bool operator==(const DepthChoice&) const = default;
};

// The disparity a fixed choice takes at most, either way.
inline constexpr int kMaxFixedDepth = 200;

// "auto", "authored" or a whole number of pixels (-200 to 200), as the
// command line and the film's record write it.
std::optional<DepthChoice> ParseDepth(const std::string& text);
std::string DepthText(const DepthChoice& choice);

// The margin by which an automatic subtitle stands in front of the content.
inline constexpr int kDepthMargin = 2;
// How far beyond that margin an automatic subtitle may stand in front of the
// nearest content measured for its frame (under it now, or over its event
// ahead): a depth held from content that has gone would throw the text out
// of the screen.
inline constexpr int kMaxDepthBeyond = 8;
// Events longer than this are not looked over ahead: their depth follows the
// content, at most 1 pixel a frame, except to stay in front.
inline constexpr int64_t kLookAheadLimitUs = 10'000'000;

// The automatic depth of the events as they come, frame by frame.
class AutoDepth {
public:
    // The disparity for the frame at `timeUs` of the event [start, end):
    // `nearest` is the content's under the subtitle in this frame (nullopt
    // when none was found) and `ahead` the nearest over the whole event when
    // it could be looked over ahead. A short event holds one depth: the one
    // it began with, raised only when content comes nearer than looked for
    // or when the look over the event ahead comes in late.
    // A long one follows the content by 1 pixel a frame, and at once to stay
    // in front. Either never stands more than kMaxDepthBeyond in front of
    // `nearest` and `ahead`, the nearer of them, plus the margin.
    int Next(int64_t eventStart, int64_t eventEnd, std::optional<int> nearest, std::optional<int> ahead);

private:
    std::optional<int64_t> event_;
    int held_ = 0;
};

}  // namespace plexo::subtitle
