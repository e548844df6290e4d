#pragma once
// The sound of an exported video: the film's chosen track added to the file
// the export wrote, copied where the container takes its codec (AAC, AC-3,
// E-AC-3, MP3 and Opus into Matroska; AAC, AC-3 and MP3 into MP4), else
// encoded to AAC by FFmpeg's own encoder, and cut to the picture's length.
// The viewer's Export dialog and plexo-tool export both call it.

#include <string>
#include <vector>

#include "audio/audio_tracks.h"
#include "audio/sink.h"
#include "convert/stereo_export.h"

namespace plexo::audio {

struct SoundExport {
    // The video the export wrote, replaced whole by one with sound.
    std::string video;
    // The film's video file; its track (-1: the default).
    std::string source;
    int track = -1;
    // The picture's length, where the sound is cut.
    Micros length = 0;
    // The film's own rate and the export's: sound goes only into a video
    // at the film's own speed.
    double filmRate = 0;
    double exportRate = 0;
};

// True when the sound was added or the film has none; at another rate the
// sound is dropped with the log line "sound dropped: not at the film's own
// speed". False after one log line naming the video and the reason, the
// video left as the export wrote it.
bool AddExportSound(const SoundExport& job);

// The sound stream an export takes of a film whose file has `tracks`:
// `chosen` (the user's, or the one the viewer keeps for the film) when it
// is one of them, else the file's default, with a log line when a chosen
// one is none of them; -1 when the file has no sound. Logs the track taken.
int ExportTrack(const std::vector<AudioTrack>& tracks, int chosen);

// The film's sound as an export takes it: its first file's track (-1: the
// default), unless the user dropped it (--no-audio, the dialog's box).
struct FilmSound {
    std::string source;
    int track = -1;
    bool wanted = true;
};

// Export, then the sound added when the whole of a video film went into an
// MP4 or Matroska video. A sound that could not be added leaves the video
// whole and silent, with its log line.
ExportResult ExportWithSound(Film& film, const std::string& out, const ExportOptions& options,
                             const ConversionControl& control, const FilmSound& sound,
                             std::vector<std::string>* written = nullptr);

}  // namespace plexo::audio
