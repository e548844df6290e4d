#include "convert/converters.h"

#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "film/factories.h"
#include "platform/failure_note.h"
#include "platform/file_name.h"
#include "platform/log.h"
#include "platform/message_sink.h"

namespace plexo {

namespace {

using Opener = FilmPtr (*)(const std::string&);
using Namer = std::string (*)(const std::string&);
using Writer = bool (*)(Film*, const std::string&, const ConversionOptions&, const ConversionControl&);

struct Converter {
    ConverterSource source;
    Opener open;
    Namer output;
    Writer write;
};

constexpr ConverterSource kBmp{"BMP files (*.bmp)", "*.bmp", "BMP"};
constexpr ConverterSource kFlm{"Film files (*.flm)", "*.flm", "FLM"};
constexpr ConverterSource kJpg{"JPEG files (*.jpg)", "*.jpg", "JPG"};

const Converter& ConverterOf(ConversionWay way)
{
    static const Converter converters[] = {
        {kBmp, OpenBmpFilm, FlmOutputName, WriteFlmFile},    // BmpToFlm
        {kBmp, OpenBmpFilm, SequenceBase, WriteJpgFrames},   // BmpToJpg
        {kFlm, OpenFlmFilm, FlmBase, WriteBmpFrames},        // FlmToBmp
        {kFlm, OpenFlmFilm, FlmBase, WriteJpgFrames},        // FlmToJpg
        {kJpg, OpenJpgFilm, SequenceBase, WriteBmpFrames},   // JpgToBmp
        {kJpg, OpenJpgFilm, FlmOutputName, WriteFlmFile},    // JpgToFlm
    };
    return converters[static_cast<int>(way)];
}

}  // namespace

const ConverterSource& SourceOf(ConversionWay way)
{
    return ConverterOf(way).source;
}

ConversionResult Convert(ConversionWay way, const std::string& chosenPath, const ConversionOptions& options,
                         const ConversionControl& control)
{
    const Converter& converter = ConverterOf(way);
    if (platform::UpperExtension(chosenPath) != converter.source.extension) {
        platform::ShowMessage("File type incompatible");
        return ConversionResult::IncompatibleType;
    }
    FilmPtr film = converter.open(chosenPath);
    if (!film) {
        LogMessage("No film creation: " + chosenPath);
        return ConversionResult::NoFilm;
    }
    LogMessage("start");
    const platform::FailureWatch failure;
    const bool written = converter.write(film.get(), converter.output(chosenPath), options, control);
    LogMessage(written ? "OK" : "write error");
    if (const std::optional<std::string> why = written ? std::nullopt : failure.first())
        LogMessage(*why);
    LogMessage("finish");
    return written ? ConversionResult::Ok : ConversionResult::WriteError;
}

}  // namespace plexo
