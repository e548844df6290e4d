// plexo-tool info: what a film holds, one fact a line.

#include <cstdio>
#include <string>

#include "audio/audio_tracks.h"
#include "film/file_formats.h"
#include "film/flm_film.h"
#include "subtitle/stream_subtitles.h"
#include "tool/command.h"
#include "tool/film_at.h"
#include "tool/sphere_options.h"

namespace plexo::tool {

namespace {

// A film of hours holds hundreds of thousands of frames; the line stops here.
constexpr int kMostNumbers = 1000;

// A decimal number without the zeros a fixed form would end in: "25",
// "29.97"; "-" for the 0 that means unknown.
std::string Decimal(double value)
{
    if (!(value > 0))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s;
}

// The numbers in play order: the walk from the first frame, with nothing
// that would stop a step early, the film left at its first frame.
std::string PlayOrderNumbers(Film& film)
{
    film.SetShift(0);
    film.SetRound(false);
    film.SetInvert(false);
    std::string numbers = std::to_string(film.FrameNumber());
    for (int listed = 1; film.Next(); ++listed) {
        if (listed == kMostNumbers) {
            numbers += " ...";
            break;
        }
        numbers += " " + std::to_string(film.FrameNumber());
    }
    film.Seek(0);
    return numbers;
}

// A video's sound streams, one a line: "audio: 1 aac, 2 channels, 48000 Hz,
// eng, default" (the stream's index; "-" for a language the file does not
// state); "audio: none" for a video without sound.
void PrintAudioTracks(const std::string& path)
{
    const std::vector<audio::AudioTrack> tracks = audio::AudioTracksOf(path);
    if (tracks.empty())
        std::printf("audio: none\n");
    for (const audio::AudioTrack& track : tracks)
        std::printf("audio: %d %s, %d %s, %d Hz, %s%s\n", track.index, track.codec.c_str(), track.channels,
                    track.channels == 1 ? "channel" : "channels", track.rate,
                    track.language.empty() ? "-" : track.language.c_str(), track.isDefault ? ", default" : "");
}

// Its subtitle streams the same way: "subtitle: 3 subrip, eng, Commentary,
// default", the title only where the file gives one; "subtitle: none" for a
// video without them.
void PrintSubtitleStreams(const std::string& path)
{
    const std::vector<subtitle::SubtitleTrack> tracks = subtitle::SubtitleStreams(path);
    if (tracks.empty())
        std::printf("subtitle: none\n");
    for (const subtitle::SubtitleTrack& track : tracks) {
        const bool stated = !track.language.empty() && track.language != "und";
        std::printf("subtitle: %d %s, %s%s%s%s\n", track.stream, track.codec.c_str(),
                    stated ? track.language.c_str() : "-", track.title.empty() ? "" : ", ", track.title.c_str(),
                    track.isDefault ? ", default" : "");
    }
}

int RunInfo(Args& args)
{
    if (!args.onlyKnown({kSourceLayoutOption, kProjectionOption}) || !args.plainCount(1, "FILM"))
        return kBadUsage;
    const LayoutChoice choice = ReadSourceLayout(args);
    SphereOptions sphere;
    if (!ReadSphereOptions(args, sphere, false) || !args.ok())
        return kBadUsage;
    const std::string& path = args.plain()[0];
    FilmPtr film = OpenFilmNamed(path, choice);
    if (!film)
        return kFailed;
    if (const auto* flm = dynamic_cast<const FlmFilm*>(film.get()); flm && flm->EndsInsideRecord())
        std::fprintf(stderr, "plexo-tool: warning: %s ends inside a frame record: the file is cut short\n",
                     path.c_str());
    // A film that states its rate (a video) counts its frames by their times:
    // it has no numbers of its own, and listing them would decode it.
    const bool numbered = !(film->FrameRate() > 0);
    const std::string numbers = numbered ? PlayOrderNumbers(*film) : std::string();
    std::printf("kind: %s\nframes: %d\n", FileFormatOf(path)->name, film->FrameCount());
    if (numbered)
        std::printf("numbers: %s\n", numbers.c_str());
    const Picture first = FilmPicture(*film, Eye::Current, Tone::Colour);
    if (first)
        std::printf("size: %dx%d\n", first.width, first.height);
    else
        std::printf("size: none\n");
    const std::string duration = Decimal(film->Duration());
    std::printf("eyes: %d\nlayout: %s\nfps: %s\nduration: %s%s\n", film->Eyes(), LayoutText(film->Layout()).c_str(),
                Decimal(film->FrameRate()).c_str(), duration.c_str(), duration == "-" ? "" : " s");
    // A film nobody calls spherical or flat keeps the lines it always had.
    if (const SourceProjection projection = ToolProjection(sphere, *film, path);
        projection.origin != ProjectionOrigin::None)
        std::printf("projection: %s\n", ProjectionText(projection).c_str());
    // A phone's stereo picture or video: what it says of its cameras.
    for (const std::string& line : SpatialLines(film->Facts().spatial))
        std::printf("%s\n", line.c_str());
    if (!numbered) {
        PrintAudioTracks(path);
        PrintSubtitleStreams(path);
    }
    if (!first)
        return Fail("cannot read the picture of the first frame of " + path);
    return kOk;
}

const bool registered = RegisterCommand({"info", "FILM [--source-layout L] [--projection P]\n"
                                                 "    prints kind, frames, numbers (the first 1000; none for a "
                                                 "video), size, eyes, layout, fps, duration, the projection where\n"
                                                 "    one is stated or chosen, a phone's spatial metadata and a video's\n"
                                                 "    audio and subtitle streams",
                                         {}, RunInfo});

}  // namespace

}  // namespace plexo::tool
