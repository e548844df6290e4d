#include "platform/export_settings.h"

#include <algorithm>

#include "platform/profile.h"

namespace plexo::platform {

namespace {
constexpr const char* kExport = "Export";
}  // namespace

ExportSettings ExportSettings::Read()
{
    ExportSettings s;
    s.format = ReadProfileString(kExport, "Format", s.format);
    s.presentation = ReadProfileString(kExport, "Presentation", s.presentation);
    s.layout = ReadProfileString(kExport, "Layout", s.layout);
    s.quality = std::clamp(ReadProfileInt(kExport, "Quality", s.quality), 1, 100);
    s.applyDisplacement = ReadProfileInt(kExport, "Displacement", 0) != 0;
    return s;
}

void ExportSettings::Write() const
{
    WriteProfileStrings({{kExport, "Format", format},
                         {kExport, "Presentation", presentation},
                         {kExport, "Layout", layout},
                         {kExport, "Quality", std::to_string(quality)},
                         {kExport, "Displacement", applyDisplacement ? "1" : "0"}});
}

}  // namespace plexo::platform
