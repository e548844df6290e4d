// plexo-tool convert: the converters of the Translate dialog from the command
// line, with the same output names and log lines.

#include <cstdio>
#include <optional>

#include "convert/converters.h"
#include "convert/existing_outputs.h"
#include "platform/log.h"
#include "platform/message_sink.h"
#include "tool/command.h"
#include "tool/progress.h"

namespace plexo::tool {

namespace {

std::optional<ConversionWay> WayNamed(const std::string& name)
{
    static const std::pair<const char*, ConversionWay> ways[] = {
        {"bmp-flm", ConversionWay::BmpToFlm}, {"bmp-jpg", ConversionWay::BmpToJpg},
        {"flm-bmp", ConversionWay::FlmToBmp}, {"flm-jpg", ConversionWay::FlmToJpg},
        {"jpg-bmp", ConversionWay::JpgToBmp}, {"jpg-flm", ConversionWay::JpgToFlm},
    };
    for (const auto& [text, way] : ways)
        if (name == text)
            return way;
    return std::nullopt;
}

bool WritesBmp(ConversionWay way)
{
    return way == ConversionWay::FlmToBmp || way == ConversionWay::JpgToBmp;
}

// Reads the options into `options`; false (with the reason in args) on a bad one.
bool ReadOptions(Args& args, ConversionOptions& options)
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
    return options.factor >= 1 && options.factor <= 4 && options.quality >= 1 && options.quality <= 100 &&
           (!compress || *compress == "jpeg" || *compress == "none");
}

int RunConvert(Args& args)
{
    if (!args.onlyKnown({"factor", "size", "quality", "compress"}) || args.plain().size() != 2)
        return kBadUsage;
    const auto way = WayNamed(args.plain()[0]);
    ConversionOptions options;
    if (!way || !ReadOptions(args, options))
        return kBadUsage;
    if (WritesBmp(*way) && options.width % 4 != 0) {
        platform::ShowMessage("For BMP the width should be multiple 4");
        return kBadUsage;
    }

    // Existing outputs are replaced without a question, as scripts expect,
    // but never a file the film is read from.
    const std::optional<ExistingOutputs> existing = FindExistingOutputs(*way, args.plain()[1]);
    if (existing && !existing->sourceHit.empty()) {
        platform::ShowMessage(SourceHitMessage(existing->sourceHit));
        return kFailed;
    }

    ProgressBar bar(stderr);
    // Log lines go above the bar, which is drawn again on the next frame.
    const platform::LogSink previous = platform::SetLogSink([&bar](const std::string& message) {
        bar.Clear();
        std::fprintf(stderr, "%s\n", message.c_str());
    });
    ConversionControl control;
    control.onFrame = [&bar](int done, int total) { bar.Update(done, total); };
    const ConversionResult result = Convert(*way, args.plain()[1], options, control);
    platform::SetLogSink(previous);
    std::printf("replaced: %d\n", existing ? CountReplaced(*existing) : 0);
    return result == ConversionResult::Ok ? kOk : kFailed;
}

const bool registered = RegisterCommand(
    {"convert",
     "bmp-flm|bmp-jpg|flm-bmp|flm-jpg|jpg-bmp|jpg-flm SOURCE [--grey] [--factor 1-4] [--size WxH] "
     "[--quality 1-100] [--compress none|jpeg]\n"
     "  defaults: colour, factor 1, source size, quality 95, compress jpeg; prints how many files it replaced",
     {"grey"},
     RunConvert});

}  // namespace
}  // namespace plexo::tool
