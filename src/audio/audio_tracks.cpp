#include "audio/audio_tracks.h"

#include <algorithm>
#include <string_view>

#include "audio/sound_input.h"

namespace plexo::audio {

namespace {

// The ISO 639-2 codes of the languages films are most often dubbed in; any
// other code is shown as it is.
struct Language {
    std::string_view code;
    std::string_view name;
};
constexpr Language kLanguages[] = {
    {"eng", "English"}, {"fre", "French"},     {"fra", "French"},   {"ger", "German"},   {"deu", "German"},
    {"spa", "Spanish"}, {"ita", "Italian"},    {"jpn", "Japanese"}, {"rus", "Russian"},  {"chi", "Chinese"},
    {"zho", "Chinese"}, {"por", "Portuguese"}, {"kor", "Korean"},   {"dut", "Dutch"},    {"nld", "Dutch"},
    {"pol", "Polish"},  {"swe", "Swedish"},    {"hin", "Hindi"},    {"ara", "Arabic"},   {"tur", "Turkish"},
};

std::string LanguageName(const std::string& code)
{
    for (const Language& language : kLanguages)
        if (language.code == code)
            return std::string(language.name);
    return code;
}

}  // namespace

std::vector<AudioTrack> AudioTracksOf(const std::string& path)
{
    std::string why;
    const SoundInput input = OpenSoundInput(path, why);
    return input ? input.tracks : std::vector<AudioTrack>{};
}

std::string TrackLabel(const AudioTrack& track, int number)
{
    std::string label = track.language.empty() ? std::string() : LanguageName(track.language);
    if (label.empty() && track.title.empty())
        label = "Track " + std::to_string(number);
    if (track.channels > 0)
        label += ", " + std::to_string(track.channels) + (track.channels == 1 ? " channel" : " channels");
    if (!track.title.empty())
        label += (label.empty() ? "" : ", ") + track.title;
    return label;
}

int DefaultTrack(const std::vector<AudioTrack>& tracks)
{
    for (const AudioTrack& track : tracks)
        if (track.isDefault)
            return track.index;
    return tracks.empty() ? -1 : tracks.front().index;
}

int ChosenOrDefault(const std::vector<AudioTrack>& tracks, int chosen)
{
    const bool sound =
        std::any_of(tracks.begin(), tracks.end(), [chosen](const AudioTrack& t) { return t.index == chosen; });
    return sound ? chosen : DefaultTrack(tracks);
}

}  // namespace plexo::audio
