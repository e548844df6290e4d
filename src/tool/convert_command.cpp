// plexo-tool convert: the converters of the Translate dialog from the command
// line, with the same output names and log lines.

#include <cstdio>
#include <optional>

#include "convert/converters.h"
#include "convert/existing_outputs.h"
#include "doc/open_failure.h"
#include "tool/command.h"
#include "tool/film_at.h"
#include "tool/progress.h"

namespace plexo::tool {

namespace {

// The source's format name, a dash and the target's: "bmp-flm".
std::optional<ConversionWay> WayNamed(const std::string& name)
{
    for (const ConversionWay way : kConversionWays)
        if (WayAvailable(way) && name == std::string(SourceFormat(way).name) + "-" + TargetFormat(way).name)
            return way;
    return std::nullopt;
}

// Reads the options into `options`; false (with the reason in args) on a bad one.
bool ReadOptions(Args& args, ConversionWay way, ConversionOptions& options)
{
    options.colour = !args.has("grey");
    const auto factor = args.integer("factor");
    const auto size = args.size("size");
    const auto quality = args.integer("quality");
    const auto compress = args.value("compress");
    if (!args.ok())
        return false;
    if (factor)
        options.factor = *factor;
    if (size) {
        options.width = size->first;
        options.height = size->second;
    }
    if (compress)
        options.compress = *compress == "jpeg" ? 1 : 0;
    if (quality)
        options.quality = *quality;
    if (options.factor < 1 || options.factor > 4)
        args.fail("--factor takes 1 to 4, not " + std::to_string(options.factor));
    else if (options.quality < 1 || options.quality > 100)
        args.fail("--quality takes 1 to 100, not " + std::to_string(options.quality));
    else if (compress && *compress != "jpeg" && *compress != "none")
        args.fail("--compress takes none or jpeg, not '" + *compress + "'");
    else if (WritesBmp(way) && options.width % 4 != 0)
        args.fail("--size " + *args.value("size") + ": For BMP the width should be multiple 4");
    return args.ok();
}

// Why a run that wrote nothing, or not all, failed, naming the source.
std::string FailureOf(ConversionResult result, const std::string& wayName, ConversionWay way,
                      const std::string& source, int done)
{
    switch (result) {
    case ConversionResult::IncompatibleType:
        return source + ": " + wayName + " converts " + SourceOf(way).pattern + " files";
    case ConversionResult::NoFilm:
        return source + ": " + WhyNoFilm(source);
    default:
        return source + ": the conversion stopped after " + std::to_string(done) +
               (done == 1 ? " frame" : " frames") + ", at a frame it could not read or write";
    }
}

int RunConvert(Args& args)
{
    if (!args.onlyKnown({"factor", "size", "quality", "compress", kSourceLayoutOption}) ||
        !args.plainCount(2, "WAY and SOURCE"))
        return kBadUsage;
    const std::string& wayName = args.plain()[0];
    const std::string& source = args.plain()[1];
    const auto way = WayNamed(wayName);
    if (!way) {
        args.fail("unknown way '" + wayName + "'");
        return kBadUsage;
    }
    ConversionOptions options;
    options.layout = ReadSourceLayout(args);
    if (!ReadOptions(args, *way, options))
        return kBadUsage;

    // Existing outputs are replaced without a question, as scripts expect,
    // but never a file the film is read from.
    const std::optional<ExistingOutputs> existing = FindExistingOutputs(*way, source);
    if (existing && !existing->sourceHit.empty())
        return Fail(SourceHitMessage(existing->sourceHit));

    ConversionResult result;
    int done = 0;
    {
        const ProgressReport progress;
        result = Convert(*way, source, options, progress.control());
        done = progress.done();
    }
    if (result != ConversionResult::Ok)
        return Fail(FailureOf(result, wayName, *way, source, done));
    std::printf("replaced: %d\n", existing ? CountReplaced(*existing) : 0);
    if (existing) {
        const std::string& first = existing->firstOutput;
        const std::string last = existing->OutputOfFrame(done);
        const std::string outputs = first == last ? first : first + " to " + last;
        std::printf("wrote %s: %d %s\n", outputs.c_str(), done, done == 1 ? "frame" : "frames");
    }
    return kOk;
}

const bool registered = RegisterCommand(
    {"convert",
     "bmp-flm|bmp-jpg|flm-bmp|flm-jpg|jpg-bmp|jpg-flm|mpo-bmp|mpo-jpg|mpo-flm|jps-bmp|jps-jpg|jps-flm|\n"
     "    video-bmp|video-jpg|video-flm SOURCE\n"
     "    [--grey] [--factor 1-4] [--size WxH] [--quality 1-100] [--compress none|jpeg] [--source-layout L]\n"
     "  defaults: colour, factor 1, source size, quality 95, compress jpeg; prints how many files it replaced\n"
     "  and what it wrote; a two-view source (MPO, JPS, a stereo video) writes its first eye; a video source\n"
     "  (mp4, mov, mkv, webm, avi) writes its frames numbered from 1 under its name less the extension",
     {"grey"},
     RunConvert});

}  // namespace
}  // namespace plexo::tool
