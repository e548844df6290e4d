#include "platform/sound_settings.h"

#include <algorithm>
#include <string>

#include "platform/profile.h"

namespace plexo::platform {

namespace {
constexpr const char* kSound = "Sound";
}  // namespace

SoundSettings SoundSettings::Read()
{
    SoundSettings s;
    s.volume = std::clamp(ReadProfileInt(kSound, "Volume", s.volume), 0, 100);
    s.muted = ReadProfileInt(kSound, "Mute", 0) != 0;
    return s;
}

void SoundSettings::Write() const
{
    WriteProfileStrings({{kSound, "Volume", std::to_string(volume)}, {kSound, "Mute", muted ? "1" : "0"}});
}

}  // namespace plexo::platform
