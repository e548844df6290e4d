#pragma once
// Every key of the settings file, grouped by the object that owns it. Each
// owner reads its group when it is made and writes it when it goes; nothing
// is written in between.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plexo::platform {

// The main frame's keys: "I/O" "Current directory" and "Settings"
// "Frames/sec", "Red-Blue".
struct FrameSettings {
    // At most this long when read; a longer stored value reads as empty. It
    // is written whole.
    static constexpr size_t kMaxDirectoryLength = 499;
    std::string currentDirectory;
    double framesPerSecond = 15.0;
    // The presentation used while stereo is on: 1 red-blue, 2 interlaced,
    // 0 page flipping (any other stored value reads as 0).
    int32_t presentation = 1;

    static FrameSettings Read();
    void Write() const;
};

// The document's six "Settings" keys, written in this order.
struct DocumentSettings {
    int32_t alter = 0;
    int32_t step = 0;
    int32_t dist = 21;
    int32_t shift = -4;
    int32_t round = 1;
    int32_t invert = 0;

    static DocumentSettings Read();
    void Write() const;
};

// The Translate dialog's last choices, section "Translate".
struct TranslateSettings {
    // The JPEG quality is held to this range when read.
    static constexpr int32_t kMinQuality = 1;
    static constexpr int32_t kMaxQuality = 100;
    int32_t way = 0;
    int32_t scale = 1;
    int32_t color = 1;
    int32_t quality = 95;

    static TranslateSettings Read();
    void Write() const;
};

// "Settings" "Picture memory": the MiB of pictures the viewer keeps in the
// "Memory" reading mode; 0 or less (the default) means a quarter of the
// machine's memory. Read at start-up and never written, so it is set by hand.
int32_t PictureMemoryMiB();

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
