#pragma once
// The sound streams of a video file, as the Audio menu names them and
// `plexo-tool info` lists them.

#include <string>
#include <vector>

namespace plexo::audio {

struct AudioTrack {
    // The stream's index in the file.
    int index = -1;
    std::string codec;
    int channels = 0;
    int rate = 0;
    // Empty when the file states none ("und" included).
    std::string language;
    std::string title;
    bool isDefault = false;
};

// In the file's order; none for a file that is no video or has no sound.
std::vector<AudioTrack> AudioTracksOf(const std::string& path);

// "English, 2 channels, Commentary": what the file states of the three;
// "Track N" (from 1) when it states none of language and title.
std::string TrackLabel(const AudioTrack& track, int number);

// The track played when none is chosen: the one flagged default, else the
// first; -1 when there is none.
int DefaultTrack(const std::vector<AudioTrack>& tracks);

// The track `chosen` when it is one of `tracks` (a kept choice may name a
// stream that is no sound, or a file changed since), else the default.
int ChosenOrDefault(const std::vector<AudioTrack>& tracks, int chosen);

}  // namespace plexo::audio
