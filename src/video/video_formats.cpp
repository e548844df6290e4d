#include "video/video_formats.h"

#include "convert/export_format.h"
#include "film/file_formats.h"
#include "video/video_export.h"
#include "video/video_film.h"

namespace plexo::video {

namespace {

// Every video row has the name "video": plexo-tool info's kind and the
// source of convert's video ways, whatever the container.
constexpr FileFormat kVideoFormats[] = {
    {"video", "MP4 videos", "mp4", "video/mp4", nullptr, OpenVideoFilm, nullptr},
    {"video", "QuickTime videos", "mov", "video/quicktime", nullptr, OpenVideoFilm, nullptr},
    {"video", "Matroska videos", "mkv", "video/x-matroska", nullptr, OpenVideoFilm, nullptr},
    {"video", "WebM videos", "webm", "video/webm", nullptr, OpenVideoFilm, nullptr},
    {"video", "AVI videos", "avi", "video/x-msvideo", nullptr, OpenVideoFilm, nullptr},
};

}  // namespace

void AddVideoFormats()
{
    AddFileFormats(kVideoFormats);
    AddExportFormats(VideoExportFormats());
}

}  // namespace plexo::video
