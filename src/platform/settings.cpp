#include "platform/settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/profile.h"

namespace plexo::platform {

namespace {
constexpr const char* kIo = "I/O";
constexpr const char* kSettings = "Settings";
constexpr const char* kTranslate = "Translate";

void WriteInt(const char* section, const char* key, int32_t value)
{
    WriteProfileString(section, key, std::to_string(value));
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

int32_t PresentationFromText(const std::string& text)
{
    const long mode = std::strtol(text.c_str(), nullptr, 10);
    return mode == 1 || mode == 2 ? int32_t(mode) : 0;
}

FrameSettings FrameSettings::Read()
{
    FrameSettings s;
    // The lengths are those of the buffers the values were always read into.
    s.currentDirectory = ReadProfileString(kIo, "Current directory", "", 499);
    s.framesPerSecond = FramesPerSecondFromText(ReadProfileString(kSettings, "Frames/sec", "15", 19));
    s.presentation = PresentationFromText(ReadProfileString(kSettings, "Red-Blue", "1", 19));
    return s;
}

void FrameSettings::Write() const
{
    WriteProfileString(kIo, "Current directory", currentDirectory.substr(0, 499));
    WriteProfileString(kSettings, "Frames/sec", FramesPerSecondText(framesPerSecond));
    WriteInt(kSettings, "Red-Blue", presentation);
}

DocumentSettings DocumentSettings::Read()
{
    DocumentSettings s;
    s.alter = ReadProfileInt(kSettings, "Alter", s.alter);
    s.step = ReadProfileInt(kSettings, "Step", s.step);
    s.dist = ReadProfileInt(kSettings, "Dist", s.dist);
    s.shift = ReadProfileInt(kSettings, "Shift", s.shift);
    s.round = ReadProfileInt(kSettings, "Round", s.round);
    s.invert = ReadProfileInt(kSettings, "Invert", s.invert);
    return s;
}

void DocumentSettings::Write() const
{
    WriteInt(kSettings, "Alter", alter);
    WriteInt(kSettings, "Step", step);
    WriteInt(kSettings, "Dist", dist);
    WriteInt(kSettings, "Shift", shift);
    WriteInt(kSettings, "Round", round);
    WriteInt(kSettings, "Invert", invert);
}

TranslateSettings TranslateSettings::Read()
{
    TranslateSettings s;
    s.way = ReadProfileInt(kTranslate, "Way", s.way);
    s.scale = ReadProfileInt(kTranslate, "Scale", s.scale);
    s.color = ReadProfileInt(kTranslate, "Color", s.color);
    s.quality = ReadProfileInt(kTranslate, "Quality", s.quality);
    return s;
}

void TranslateSettings::Write() const
{
    WriteInt(kTranslate, "Way", way);
    WriteInt(kTranslate, "Scale", scale);
    WriteInt(kTranslate, "Color", color);
    WriteInt(kTranslate, "Quality", quality);
}

}  // namespace plexo::platform
