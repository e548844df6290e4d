#include "platform/settings.h"

#include <algorithm>
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
    // A directory too long for its buffer would come back cut, which may
    // name another folder; such a value is not used.
    s.currentDirectory = ReadProfileString(kIo, "Current directory", "", kMaxDirectoryLength + 1);
    if (s.currentDirectory.size() > kMaxDirectoryLength)
        s.currentDirectory.clear();
    s.framesPerSecond = FramesPerSecondFromText(ReadProfileString(kSettings, "Frames/sec", "15", 19));
    s.presentation = PresentationFromText(ReadProfileString(kSettings, "Red-Blue", "1", 19));
    return s;
}

void FrameSettings::Write() const
{
    WriteProfileString(kIo, "Current directory", currentDirectory);
    WriteProfileString(kSettings, "Frames/sec", FramesPerSecondText(framesPerSecond));
    WriteInt(kSettings, "Red-Blue", presentation);
}

namespace {
// A group's integer keys in the order they are read and written.
template <typename Group>
struct IntKey {
    const char* name;
    int32_t Group::*value;
};

constexpr IntKey<DocumentSettings> kDocumentKeys[] = {
    {"Alter", &DocumentSettings::alter}, {"Step", &DocumentSettings::step},   {"Dist", &DocumentSettings::dist},
    {"Shift", &DocumentSettings::shift}, {"Round", &DocumentSettings::round}, {"Invert", &DocumentSettings::invert},
};
constexpr IntKey<TranslateSettings> kTranslateKeys[] = {
    {"Way", &TranslateSettings::way},
    {"Scale", &TranslateSettings::scale},
    {"Color", &TranslateSettings::color},
    {"Quality", &TranslateSettings::quality},
};

// A missing key keeps the group's default.
template <typename Group, size_t N>
Group ReadInts(const char* section, const IntKey<Group> (&keys)[N])
{
    Group group;
    for (const IntKey<Group>& key : keys)
        group.*key.value = ReadProfileInt(section, key.name, group.*key.value);
    return group;
}

template <typename Group, size_t N>
void WriteInts(const char* section, const IntKey<Group> (&keys)[N], const Group& group)
{
    for (const IntKey<Group>& key : keys)
        WriteInt(section, key.name, group.*key.value);
}
}  // namespace

DocumentSettings DocumentSettings::Read() { return ReadInts(kSettings, kDocumentKeys); }

void DocumentSettings::Write() const { WriteInts(kSettings, kDocumentKeys, *this); }

TranslateSettings TranslateSettings::Read()
{
    TranslateSettings s = ReadInts(kTranslate, kTranslateKeys);
    // Only a hand-edited file holds a quality the encoder refuses; every
    // JPEG or packed conversion would then fail.
    s.quality = std::clamp(s.quality, kMinQuality, kMaxQuality);
    return s;
}

void TranslateSettings::Write() const { WriteInts(kTranslate, kTranslateKeys, *this); }

int32_t PictureMemoryMiB() { return ReadProfileInt(kSettings, "Picture memory", 0); }

}  // namespace plexo::platform
