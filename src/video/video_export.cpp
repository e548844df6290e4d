#include "video/video_export.h"

#include "video/stereo_video_writer.h"

namespace plexo::video {

namespace {

PresentationId PresentationOfLayout(const ExportOptions& options)
{
    switch (options.layout) {
    case VideoLayout::SideBySideHalf:
        return PresentationId::SideBySideHalf;
    case VideoLayout::TopBottom:
        return PresentationId::TopBottom;
    case VideoLayout::TopBottomHalf:
        return PresentationId::TopBottomHalf;
    case VideoLayout::FramePacking1080:
        return PresentationId::FramePacking1080;
    case VideoLayout::FramePacking720:
        return PresentationId::FramePacking720;
    case VideoLayout::SideBySide:
        break;
    }
    return PresentationId::SideBySide;
}

std::unique_ptr<ExportWriter> OpenMp4(const ExportStart& start)
{
    return OpenStereoVideoWriter(start, "mp4");
}

std::unique_ptr<ExportWriter> OpenMatroska(const ExportStart& start)
{
    return OpenStereoVideoWriter(start, "matroska");
}

constexpr ExportFormat kVideoExportFormats[] = {
    {"mp4", "MP4 stereo videos", true, PresentationOfLayout, OpenMp4},
    {"mkv", "Matroska stereo videos", true, PresentationOfLayout, OpenMatroska},
};

}  // namespace

std::span<const ExportFormat> VideoExportFormats()
{
    return kVideoExportFormats;
}

}  // namespace plexo::video
