// plexo-tool export: a film's frame pairs written for other stereo software,
// in the format its output's extension names, as the Export Stereo dialog
// writes them.

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "audio/export_sound.h"
#include "convert/stereo_export.h"
#include "doc/film_memory.h"
#include "platform/document_settings.h"
#include "platform/frame_settings.h"
#include "tool/command.h"
#include "tool/film_at.h"
#include "tool/progress.h"
#include "tool/pipeline_options.h"
#include "tool/sphere_options.h"

namespace plexo::tool {

namespace {

// The outputs of the rows that take an option: ".jpg and .bmp".
std::string RowsWhere(bool (*takes)(const ExportFormat&))
{
    std::vector<std::string> names;
    for (const ExportFormat& format : ExportFormats())
        if (takes(format))
            names.push_back(std::string(".") + format.extension);
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text.empty() ? "no output here" : text;
}

std::optional<double> Rate(Args& args)
{
    const std::optional<std::string> text = args.value("fps");
    if (!text)
        return std::nullopt;
    double fps = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, fps);
    if (error != std::errc() || stop != end || platform::FrameRateRefusal(fps)) {
        args.fail("--fps takes 0.01 to 1000 frames a second, not '" + *text + "'");
        return std::nullopt;
    }
    return fps;
}

// The options as far as the output's row allows them; false (the reason in
// args) on a bad one.
bool ReadOptions(Args& args, const ExportFormat& format, ExportOptions& options)
{
    const auto index = args.position("index");
    const auto dist = args.integer("dist");
    const auto vertical = args.integer("vertical");
    const auto quality = args.integer("quality");
    const auto crf = args.integer("crf");
    const auto fps = Rate(args);
    if (!args.ok())
        return false;
    options.index = index;
    options.adjust = {.swap = args.has("swap"), .dist = dist.value_or(0), .vertical = vertical.value_or(0)};
    options.quality = quality.value_or(options.quality);
    options.crf = crf.value_or(options.crf);
    // A film that states no rate plays at Frames/sec in the viewer.
    options.fps = fps ? *fps : platform::FrameSettings::Read().framesPerSecond;
    options.preset = args.value("preset").value_or(options.preset);
    if (options.quality < 1 || options.quality > 100)
        args.fail("--quality takes 1 to 100, not " + std::to_string(options.quality));
    else if (options.crf < 0 || options.crf > 51)
        args.fail("--crf takes 0 to 51, not " + std::to_string(options.crf));
    for (const char* option : {"layout", "crf", "preset", "fps", "audio-track"})
        if (args.ok() && args.has(option) && !format.oneFile)
            args.fail(std::string("--") + option + " goes with " +
                      RowsWhere([](const ExportFormat& f) { return f.oneFile; }) + " only");
    if (const auto layout = args.value("layout"); args.ok() && layout) {
        if (const std::optional<VideoLayout> named = VideoLayoutNamed(*layout))
            options.layout = *named;
        else
            args.fail("--layout takes sbs, sbs-half, tb, tb-half, frame-packing-1080 or frame-packing-720, not '" +
                      *layout + "'");
    }
    if (const auto mode = args.value("mode"); args.ok() && mode) {
        const Presentation* shown = PresentationNamed(*mode);
        if (!format.takesMode)
            args.fail("--mode goes with " + RowsWhere([](const ExportFormat& f) { return f.takesMode; }) + " only");
        else if (!shown)
            args.fail("--mode takes the name of a presentation (see compose), not '" + *mode + "'");
        else
            options.mode = shown->id;
    }
    if (const auto refusal = args.ok() ? ExportRefusal(format, options) : std::nullopt)
        args.fail(*refusal);
    return args.ok();
}

// False after saying so when --audio-track names no sound stream of the
// film's file.
bool SoundStreamOf(const std::string& path, int track)
{
    const std::vector<audio::AudioTrack> tracks = audio::AudioTracksOf(path);
    std::string streams;
    for (const audio::AudioTrack& sound : tracks) {
        if (sound.index == track)
            return true;
        streams += (streams.empty() ? "" : ", ") + std::to_string(sound.index);
    }
    Fail(path + " has no sound stream " + std::to_string(track) +
         (streams.empty() ? std::string("; it has no sound") : "; its sound streams are " + streams));
    return false;
}

int RunExport(Args& args)
{
    if (!args.onlyKnown({"index", "layout", "mode", "dist", "vertical", "shift", "fps", "quality", "crf", "preset",
                        "audio-track", kSourceLayoutOption, "out", kSubtitlesOption, kSubtitleDepthOption,
                        kProjectionOption, kYawOption, kPitchOption, kFovOption, "view"}) ||
        !args.plainCount(1, "FILM"))
        return kBadUsage;
    const std::string& path = args.plain()[0];
    const auto out = args.required("out");
    const auto shift = args.integer("shift");
    const auto audioTrack = args.integer("audio-track");
    if (audioTrack && args.has("no-audio"))
        args.fail("--audio-track and --no-audio do not go together");
    const LayoutChoice choice = ReadSourceLayout(args);
    const auto view = args.size("view");
    SphereOptions sphere;
    std::optional<std::string> subtitles;
    subtitle::DepthChoice subtitleDepth;
    if (!ReadSubtitleOptions(args, subtitles, subtitleDepth) || !ReadSphereOptions(args, sphere) || !args.ok())
        return kBadUsage;
    const ExportFormat* format = ExportFormatOf(*out);
    if (!format)
        return Fail(UnknownExportFormatMessage(*out));
    ExportOptions options;
    if (!ReadOptions(args, *format, options))
        return kBadUsage;

    if (audioTrack && !SoundStreamOf(path, *audioTrack))
        return kFailed;
    FilmPtr film = OpenFilmNamed(path, choice);
    if (!film)
        return kFailed;
    if (options.index && *options.index >= film->FrameCount())
        return FailNoFrameAt(path, *options.index, *film);
    // A two-view film's partner is its other eye; a single view's is the
    // Settings' A.
    options.shift = shift.value_or(film->Eyes() == 2 ? 0 : platform::DocumentSettings::Read().shift);
    const std::vector<std::string> outputs = ExportOutputNames(*film, *out, options);
    if (const auto refusal = ExportSourceRefusal(path, outputs))
        return Fail(*refusal);
    const auto reopen = [&]() -> FilmPtr {
        FilmPtr again = OpenFilmNamed(path, choice);
        if (again)
            again->SetShift(options.shift);
        return again;
    };
    ToolPipeline chain;
    // A spherical film is written as the flat stereo film of its viewport.
    chain.sphere = ToolSphere(sphere, *film, path, view ? view->first : kDefaultSphereWidth,
                              view ? view->second : kDefaultSphereHeight);
    if (!BuildToolPipeline(args, {path}, subtitles, subtitleDepth, *film, format->presentation(options), reopen,
                           chain))
        return kFailed;
    if (!args.has("dist") && chain.Aligns())
        options.adjust.dist = chain.keptDist.value_or(0);
    // A spatial photo written from one keeps the D its file asked for.
    else if (!args.has("dist") && format->distAsMetadata)
        options.adjust.dist = film->Facts().statedDist.value_or(0);

    std::vector<std::string> written;
    ExportResult result;
    int done = 0;
    {
        ProgressReport progress;
        progress.Begin(format->oneFile ? (options.index ? 1 : film->FrameCount()) : int(outputs.size()));
        // The track asked for, else the one the viewer keeps for the film.
        const int track =
            audioTrack.value_or(RecallFilm(FilmKey({path})).Number("audio-track", 100000).value_or(-1));
        result = audio::ExportWithSound(chain.Shown(*film), *out, options, progress.control(),
                                        {path, track, !args.has("no-audio")}, &written);
        done = progress.done();
    }
    if (result == ExportResult::NoFrame)
        return options.index ? FailNoFrameAt(path, *options.index, *film) : Fail(path + " has no frame to export");
    if (result != ExportResult::Ok)
        return Fail(*out + ": the export stopped after " + std::to_string(done) +
                    (done == 1 ? " frame" : " frames") + ", at a frame it could not read or write");
    for (const std::string& name : written)
        std::printf("%s\n", name.c_str());
    return kOk;
}

const char* ExportUsage()
{
    static const std::string usage =
        "FILM [--index I] [--layout sbs|sbs-half|tb|tb-half|frame-packing-1080|frame-packing-720] [--mode NAME]\n"
        "    [--swap] [--dist D] [--vertical N] [--shift A] [--fps F] [--quality Q] [--crf N] [--preset P]\n"
        "    [--source-layout L] [--audio-track N | --no-audio] [--no-align | --align-frames]\n"
        "    [--subtitles TRACK|FILE|default [--subtitle-depth auto|authored|N]]\n"
        "    [--projection P] [--yaw DEG] [--pitch DEG] [--fov DEG] [--view WxH] --out OUT\n"
        "  the extension of OUT (.mpo, .jps, .jpg, .bmp, .mp4, .mkv) chooses the format; every frame is written\n"
        "  with its partner in play order, stills as a numbered run unless --index picks one frame or the film\n"
        "  has one; --mode (a presentation, as compose's) goes with .jpg and .bmp, --layout, --crf, --preset,\n"
        "  --fps and --audio-track with video; defaults: --shift the Settings' Shift (a two-view film's eye\n"
        "  offset: 0), --dist 0, --vertical 0, --quality 95, --crf 18, --preset medium, --layout sbs, --mode\n"
        "  side-by-side, --fps the film's rate, else the Settings' Frames/sec; a whole video's .mp4 or .mkv\n"
        "  keeps its sound: the stream --audio-track N names (its index, as info lists it), else the track\n"
        "  the viewer chose for it, else the file's default, named on stderr; --no-audio drops it; the film's\n"
        "  kept alignment and its D (unless --dist) apply unless --no-align; --align-frames aligns every pair\n"
        "  as it is read; shows its progress on a terminal; prints the names it wrote\n" +
        std::string(kSubtitleUsage) + "\n" + kSphereUsage;
    return usage.c_str();
}

const bool registered = RegisterCommand(
    {"export",
     ExportUsage(),
     {"swap", "no-audio", kNoAlignFlag, kAlignFramesFlag},
     RunExport});

}  // namespace
}  // namespace plexo::tool
