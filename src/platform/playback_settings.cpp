#include "platform/playback_settings.h"

#include <algorithm>
#include <string>

#include "platform/profile.h"

namespace plexo::platform {

namespace {
constexpr const char* kPlayback = "Playback";
}  // namespace

PlaybackSettings PlaybackSettings::Read()
{
    PlaybackSettings s;
    s.resume = ReadProfileInt(kPlayback, "Resume", 1) != 0;
    s.slideSeconds = std::clamp(ReadProfileInt(kPlayback, "Slideshow", s.slideSeconds), 1, kMaxSlideSeconds);
    s.loopList = ReadProfileInt(kPlayback, "Loop list", 0) != 0;
    return s;
}

void PlaybackSettings::Write() const
{
    WriteProfileStrings({{kPlayback, "Resume", resume ? "1" : "0"},
                         {kPlayback, "Slideshow", std::to_string(slideSeconds)},
                         {kPlayback, "Loop list", loopList ? "1" : "0"}});
}

}  // namespace plexo::platform
