#include "convert/converters.h"

#include <array>
#include <cctype>
#include <cstring>
#include <string_view>
#include <utility>

#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "film/file_formats.h"
#include "platform/failure_note.h"
#include "platform/log.h"
#include "platform/message_sink.h"

namespace plexo {

namespace {

using Namer = std::string (*)(const std::string&);
using Writer = bool (*)(Film*, const std::string&, const ConversionOptions&, const ConversionControl&);

struct Converter {
    // Names of rows in the table of file formats.
    const char* source;
    const char* target;
    Namer output;
};

constexpr Converter kConverters[] = {
    {"bmp", "flm", RunFlmName},     // BmpToFlm
    {"bmp", "jpg", SequenceBase},   // BmpToJpg
    {"flm", "bmp", FlmBase},        // FlmToBmp
    {"flm", "jpg", FlmBase},        // FlmToJpg
    {"jpg", "bmp", SequenceBase},   // JpgToBmp
    {"jpg", "flm", RunFlmName},     // JpgToFlm
    {"mpo", "bmp", SequenceBase},   // MpoToBmp
    {"mpo", "jpg", SequenceBase},   // MpoToJpg
    {"mpo", "flm", RunFlmName},     // MpoToFlm
    {"jps", "bmp", SequenceBase},   // JpsToBmp
    {"jps", "jpg", SequenceBase},   // JpsToJpg
    {"jps", "flm", RunFlmName},     // JpsToFlm
    {"video", "bmp", PathLessExtension},  // VideoToBmp
    {"video", "jpg", PathLessExtension},  // VideoToJpg
    {"video", "flm", VideoFlmName},  // VideoToFlm
};

const Converter& ConverterOf(ConversionWay way)
{
    return kConverters[static_cast<size_t>(way)];
}

// How a conversion writes a film of each format it writes. The frame writers
// walk and shape whole films, above the layer that holds the table, so they
// are paired with its rows here, by name: rows added to the table move the
// rows already there.
Writer WriterOf(const FileFormat& format)
{
    static constexpr std::pair<std::string_view, Writer> writers[] = {
        {"bmp", WriteBmpFrames},
        {"flm", WriteFlmFile},
        {"jpg", WriteJpgFrames},
    };
    for (const auto& [written, writer] : writers)
        if (written == format.name)
            return writer;
    return nullptr;
}

bool IsSource(const FileFormat* format, ConversionWay way)
{
    return format && std::strcmp(format->name, ConverterOf(way).source) == 0;
}

}  // namespace

bool WayAvailable(ConversionWay way)
{
    return FileFormatNamed(ConverterOf(way).source) != nullptr;
}

const FileFormat& SourceFormat(ConversionWay way)
{
    return *FileFormatNamed(ConverterOf(way).source);
}

const FileFormat& TargetFormat(ConversionWay way)
{
    return *FileFormatNamed(ConverterOf(way).target);
}

bool WritesBmp(ConversionWay way)
{
    return WriterOf(TargetFormat(way)) == WriteBmpFrames;
}

bool WritesFlm(ConversionWay way)
{
    return WriterOf(TargetFormat(way)) == WriteFlmFile;
}

std::string OutputOf(ConversionWay way, const std::string& chosenPath)
{
    return ConverterOf(way).output(chosenPath);
}

const ConverterSource& SourceOf(ConversionWay way)
{
    static const auto sources = [] {
        std::array<ConverterSource, std::size(kConverters)> made;
        for (size_t i = 0; i < made.size(); ++i) {
            const auto way = static_cast<ConversionWay>(i);
            if (!WayAvailable(way))
                continue;
            const FileFormat& format = SourceFormat(way);
            std::string extension = format.extension;
            for (char& c : extension)
                c = char(std::toupper(static_cast<unsigned char>(c)));
            std::string pattern;
            int rows = 0;
            for (const FileFormat& row : FileFormats())
                if (IsSource(&row, way)) {
                    if (rows++ > 0)
                        pattern += ';';
                    pattern += PatternOf(row);
                }
            // Several rows of one name are "Video files".
            std::string description = format.description;
            if (rows > 1) {
                description = std::string(format.name) + " files";
                description[0] = char(std::toupper(static_cast<unsigned char>(description[0])));
            }
            made[i] = {description + " (" + pattern + ")", pattern, extension};
        }
        return made;
    }();
    return sources[static_cast<size_t>(way)];
}

bool WriteLogged(const std::function<bool()>& write)
{
    LogMessage("start");
    const platform::FailureWatch failure;
    const bool written = write();
    LogMessage(written ? "OK" : "write error");
    if (const std::optional<std::string> why = written ? std::nullopt : failure.first())
        LogMessage(*why);
    LogMessage("finish");
    return written;
}

ConversionResult Convert(ConversionWay way, const std::string& chosenPath, const ConversionOptions& options,
                         const ConversionControl& control)
{
    const FileFormat* source = FileFormatOf(chosenPath);
    if (!IsSource(source, way)) {
        platform::ShowMessage("File type incompatible");
        return ConversionResult::IncompatibleType;
    }
    FilmPtr film = source->openFilm(chosenPath, options.layout);
    if (!film) {
        LogMessage("No film creation: " + chosenPath);
        return ConversionResult::NoFilm;
    }
    if (film->Eyes() == 2)
        LogMessage(chosenPath + ": a two-view film; its first eye is written");
    const bool written = WriteLogged(
        [&] { return WriterOf(TargetFormat(way))(film.get(), OutputOf(way, chosenPath), options, control); });
    return written ? ConversionResult::Ok : ConversionResult::WriteError;
}

}  // namespace plexo
