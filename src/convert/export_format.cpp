#include "convert/export_format.h"

#include <strings.h>

#include <vector>

#include "convert/export_stills.h"
#include "convert/output_names.h"
#include "platform/file_name.h"

namespace plexo {

namespace {

// An MPO's eyes (and a spatial HEIC's) are those of the side-by-side frame,
// taken apart; a JPS is that frame with its halves exchanged; the pictures
// are the user's presentation.
const ExportFormat kStills[] = {
    {.extension = "mpo",
     .description = "MPO stereo photos",
     .oneFile = false,
     .presentation = [](const ExportOptions&) { return PresentationId::SideBySide; },
     .open = OpenMpoWriter,
     .eyesApart = true},
    {.extension = "jps",
     .description = "JPS stereo photos",
     .oneFile = false,
     .presentation = [](const ExportOptions&) { return PresentationId::SideBySide; },
     .open = OpenJpsWriter,
     .secondEyeFirst = true},
    {.extension = "jpg",
     .description = "JPEG pictures",
     .oneFile = false,
     .presentation = [](const ExportOptions& options) { return options.mode; },
     .open = OpenJpgWriter,
     .takesMode = true},
    {.extension = "bmp",
     .description = "BMP pictures",
     .oneFile = false,
     .presentation = [](const ExportOptions& options) { return options.mode; },
     .open = OpenBmpWriter,
     .takesMode = true},
    {.extension = "heic",
     .description = "HEIC spatial photos",
     .oneFile = false,
     .presentation = [](const ExportOptions&) { return PresentationId::SideBySide; },
     .open = OpenHeicWriter,
     .eyesApart = true,
     .distAsMetadata = true},
};

std::vector<ExportFormat>& Table()
{
    static std::vector<ExportFormat> rows(std::begin(kStills), std::end(kStills));
    return rows;
}

const ExportFormat* RowOfExtension(const char* extension)
{
    for (const ExportFormat& format : Table())
        if (strcasecmp(format.extension, extension) == 0)
            return &format;
    return nullptr;
}

}  // namespace

const char* VideoLayoutName(VideoLayout layout)
{
    constexpr const char* kNames[] = {"sbs", "sbs-half", "tb", "tb-half", "frame-packing-1080", "frame-packing-720"};
    return kNames[size_t(layout)];
}

std::optional<VideoLayout> VideoLayoutNamed(std::string_view name)
{
    for (const VideoLayout layout : kVideoLayouts)
        if (name == VideoLayoutName(layout))
            return layout;
    return std::nullopt;
}

std::span<const ExportFormat> ExportFormats()
{
    return Table();
}

void AddExportFormats(std::span<const ExportFormat> rows)
{
    for (const ExportFormat& row : rows)
        if (!RowOfExtension(row.extension))
            Table().push_back(row);
}

const ExportFormat* ExportFormatOf(const std::string& path)
{
    return RowOfExtension(platform::UpperExtension(path).c_str());
}

std::string ExportFileName(const ExportFormat& format, const std::string& out, int32_t frames, int32_t number)
{
    if (format.oneFile || frames == 1)
        return out;
    return FrameFileName(PathLessExtension(out), number, ("." + std::string(format.extension)).c_str());
}

}  // namespace plexo
