#pragma once
// The main frame's keys: "I/O" "Current directory" and "Settings"
// "Frames/sec", "Red-Blue". The frame reads them when it is made and writes
// them when it goes; nothing is written in between.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace plexo::platform {

// The frame rates a film is played or exported at: the Frames/sec setting,
// plexo-tool export's --fps and the rate of a video that export writes.
inline constexpr double kSlowestFrameRate = 0.01;
inline constexpr double kFastestFrameRate = 1000;
// Why `fps` is not such a rate: "1e+06 frames a second is outside 0.01 to
// 1000"; empty when it is one.
std::optional<std::string> FrameRateRefusal(double fps);

struct FrameSettings {
    // At most this long when read; a longer stored value reads as empty. It
    // is written whole.
    static constexpr size_t kMaxDirectoryLength = 499;
    std::string currentDirectory;
    // A stored rate outside kSlowestFrameRate to kFastestFrameRate is
    // logged and read as this default.
    double framesPerSecond = 15.0;
    // The presentation used while stereo is on: 1 red-blue, 2 interlaced,
    // 0 page flipping (any other stored value reads as 0).
    int32_t presentation = 1;

    static FrameSettings Read();
    void Write() const;
};

// The conversions of the stored texts, independent of the process's locale
// (the Qt shell switches it to the user's, whose decimal comma would
// otherwise change the file's format).
// Text that is not a number (or is not finite) gives 0.
double FramesPerSecondFromText(const std::string& text);
// Six decimals, as "%f" writes them: 12.5 gives "12.500000".
std::string FramesPerSecondText(double framesPerSecond);
// 1 and 2 stay, everything else becomes 0.
int32_t PresentationFromText(const std::string& text);

}  // namespace plexo::platform
