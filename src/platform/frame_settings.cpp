#include "platform/frame_settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/log.h"
#include "platform/profile.h"

namespace plexo::platform {

namespace {

// As "%g" writes it, whatever the locale: "0.01", "1e+06".
std::string ShortNumber(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("?");
}

}  // namespace

double FramesPerSecondFromText(const std::string& text)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (p < end && *p == '+')
        ++p;
    double value = 0.0;
    const auto result = std::from_chars(p, end, value);
    // The playback interval divides by this and makes a whole number of it:
    // infinity or NaN would make that undefined, so they count as no number.
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

std::string FramesPerSecondText(double framesPerSecond)
{
    char text[400];  // the widest double with six decimals needs about 320
    const auto result = std::to_chars(text, text + sizeof text, framesPerSecond, std::chars_format::fixed, 6);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0.000000");
}

std::optional<std::string> FrameRateRefusal(double fps)
{
    if (fps >= kSlowestFrameRate && fps <= kFastestFrameRate)
        return std::nullopt;
    return ShortNumber(fps) + " frames a second is outside " + ShortNumber(kSlowestFrameRate) + " to " +
           ShortNumber(kFastestFrameRate);
}

int32_t PresentationFromText(const std::string& text)
{
    const long mode = std::strtol(text.c_str(), nullptr, 10);
    return mode == 1 || mode == 2 ? int32_t(mode) : 0;
}

FrameSettings FrameSettings::Read()
{
    FrameSettings s;
    // The lengths are those of the buffers the values were always read into.
    // A directory too long for its buffer would come back cut, which may
    // name another folder; such a value is not used.
    s.currentDirectory = ReadProfileString("I/O", "Current directory", "", kMaxDirectoryLength + 1);
    if (s.currentDirectory.size() > kMaxDirectoryLength)
        s.currentDirectory.clear();
    const std::string rate = ReadProfileString("Settings", "Frames/sec", "15", 19);
    if (const double fps = FramesPerSecondFromText(rate); !FrameRateRefusal(fps))
        s.framesPerSecond = fps;
    else
        LogMessage("Settings: Frames/sec=" + rate + " is not used (" + *FrameRateRefusal(fps) + "); the rate is " +
                   ShortNumber(s.framesPerSecond));
    s.presentation = PresentationFromText(ReadProfileString("Settings", "Red-Blue", "1", 19));
    return s;
}

void FrameSettings::Write() const
{
    WriteProfileString("I/O", "Current directory", currentDirectory);
    WriteProfileString("Settings", "Frames/sec", FramesPerSecondText(framesPerSecond));
    WriteProfileString("Settings", "Red-Blue", std::to_string(presentation));
}

}  // namespace plexo::platform
