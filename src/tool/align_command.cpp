// plexo-tool align: a pair's correction found and kept in the film's record,
// as View > Align keeps it, or the aligned pairs written through the export
// table; one line a frame with the correction and its residual.

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "align/aligned_pair.h"
#include "align/estimate.h"
#include "convert/stereo_export.h"
#include "doc/film_alignment.h"
#include "film/two_films.h"
#include "pipeline/pair_pipeline.h"
#include "platform/document_settings.h"
#include "tool/command.h"
#include "tool/film_at.h"

namespace plexo::tool {

namespace {

constexpr const char* kSides[] = {"right", "bottom", "left", "top"};

std::string Line(int position, const align::Alignment& found, std::optional<int> window, double kept)
{
    char tail[160];
    std::snprintf(tail, sizeof tail, "; 90th percentile %.2f px, before %.2f px, %d inliers, keystone %.4f %.4f",
                  found.p90Residual, found.medianBefore, found.inliers, found.model.keystoneX, found.model.keystoneY);
    std::string line = "frame " + std::to_string(position) + ": " + align::AlignedLine(found.model) + tail;
    if (window)
        line += ", window D " + std::to_string(*window);
    if (found.model.crop) {
        std::snprintf(tail, sizeof tail, ", %.1f %% of each side kept", kept * 100);
        line += tail;
    }
    return line;
}

// The current pictures of two films as a pair, the second film's first when
// it was put left of or above the first.
EyePairPtr FilmsPair(Film& film, Film& added, bool addedFirst)
{
    Film& first = addedFirst ? added : film;
    Film& second = addedFirst ? film : added;
    const EyePairPtr one = CopiedPair(FilmPicture(first, Eye::Current, Tone::Colour), {}, film.FrameNumber(), -1, -1);
    if (!one || !one->first)
        return nullptr;
    return CopiedPair(one->first, FilmPicture(second, Eye::Current, Tone::Colour), film.FrameNumber(), -1, -1);
}

int RunAlign(Args& args)
{
    if (!args.onlyKnown({"second", "side", "index", "out", kSourceLayoutOption}) || !args.plainCount(1, "FILM"))
        return kBadUsage;
    const auto index = args.position("index");
    const auto second = args.value("second");
    const auto sideName = args.value("side");
    const auto out = args.value("out");
    const LayoutChoice choice = ReadSourceLayout(args);
    if (!args.ok())
        return kBadUsage;
    int side = kAddRight;
    if (sideName) {
        side = -1;
        for (int s = 0; s < 4; ++s)
            if (*sideName == kSides[s])
                side = s;
    }
    if (sideName && !second)
        args.fail("--side needs --second");
    else if (side < 0)
        args.fail("--side takes right, bottom, left or top, not '" + *sideName + "'");
    else if (index && args.has("all"))
        args.fail("--index and --all go apart");
    else if (second && out)
        args.fail("--out writes a film of two views, not a pair of films");
    if (!args.ok())
        return kBadUsage;
    const bool all = args.has("all");
    const std::string& path = args.plain()[0];
    std::vector<std::string> paths{path};
    if (second)
        paths.push_back(*second);
    const ExportFormat* format = out ? ExportFormatOf(*out) : nullptr;
    if (out && !format)
        return Fail(UnknownExportFormatMessage(*out));

    FilmPtr film = OpenFilmNamed(path, choice);
    if (!film)
        return kFailed;
    FilmPtr added = second ? OpenFilmNamed(*second, choice) : nullptr;
    if (second && !added)
        return kFailed;
    if (!MoveToIndex(*film, index.value_or(0)))
        return FailNoFrameAt(path, index.value_or(0), *film);
    if (added && !MoveToIndex(*added, index.value_or(0)))
        return FailNoFrameAt(*second, index.value_or(0), *added);
    const int32_t shift = film->Eyes() == 2 ? 0 : platform::DocumentSettings::Read().shift;
    film->SetShift(shift);

    std::map<int32_t, align::AlignModel> models;
    std::optional<int> firstWindow;
    bool failed = false;
    const int32_t last = all ? film->FrameCount() - 1 : index.value_or(0);
    for (int32_t position = all ? 0 : index.value_or(0); position <= last; ++position) {
        if (!film->Seek(position) || film->Position() != position || (added && !added->Seek(position)))
            break;
        const EyePairPtr pair = added ? FilmsPair(*film, *added, side == kAddLeft || side == kAddTop)
                                      : film->Pair(Tone::Colour);
        const align::AlignResult result =
            pair ? align::EstimateAlignment(pair->first, pair->second) : align::AlignResult{};
        film->ReleasePictures();
        if (added)
            added->ReleasePictures();
        if (!result.alignment) {
            std::printf("frame %d: %s\n", position, align::CouldNotAlignMessage(result.matches).c_str());
            failed = true;
            continue;
        }
        align::Alignment found = *result.alignment;
        found.model.crop = args.has("crop");
        const std::optional<int> window = args.has("window") ? std::optional(align::WindowDist(found)) : std::nullopt;
        const double kept = align::CoveredShare(found.model, pair->first.width, pair->first.height);
        std::printf("%s\n", Line(position, found, window, kept).c_str());
        if (!firstWindow)
            firstWindow = window;
        models[film->FrameNumber()] = found.model;
        if (out)
            continue;
        // A numbered run keeps each file's correction in that file's record.
        const std::string source = all ? film->SourceFile(Eye::Current) : std::string();
        const std::vector<std::string> key = source.empty() ? paths : std::vector<std::string>{source};
        if (!KeepAlignment(key, {align::AlignModelText(found.model), window}))
            return Fail("the settings file cannot be written");
    }
    if (!out || models.empty())
        return failed ? kFailed : kOk;

    ExportOptions options;
    options.shift = shift;
    options.index = all ? std::nullopt : std::optional<int32_t>(index.value_or(0));
    options.adjust.dist = firstWindow.value_or(0);
    if (const auto refusal = ExportSourceRefusal(path, ExportOutputNames(*film, *out, options)))
        return Fail(*refusal);
    pipeline::PipelineChoice corrections;
    corrections.frameModels = std::move(models);
    std::string why;
    const std::unique_ptr<Film> aligned = pipeline::BuildPipeline({}, corrections, why)->Through(*film);
    std::vector<std::string> written;
    if (Export(aligned ? *aligned : *film, *out, options, {}, &written) != ExportResult::Ok)
        return Fail(*out + ": the aligned pairs could not be written");
    for (const std::string& name : written)
        std::printf("%s\n", name.c_str());
    return failed ? kFailed : kOk;
}

const bool registered = RegisterCommand(
    {"align",
     "FILM [--second FILM2 [--side right|bottom|left|top]] [--index I | --all] [--window] [--crop] [--out OUT]\n"
     "    prints each pair's correction (vertical shift, roll, scale, keystone) and the vertical disparity left;\n"
     "    without --out keeps it in the film's record, as View > Align does (--all: each file of a numbered\n"
     "    run in its own), with --out writes the aligned pairs through the export table (.mpo, .jps, .jpg,\n"
     "    .bmp, .mp4, .mkv), prints their names and leaves the settings alone; --window sets D so the nearest\n"
     "    2 % of the scene is at the screen, --crop cuts each pair to what both corrected eyes cover",
     {"all", "window", "crop"},
     RunAlign});

}  // namespace
}  // namespace plexo::tool
