#include "film/open_film.h"

#include "film/factories.h"
#include "platform/file_name.h"
#include "platform/message_sink.h"

namespace plexo {

std::optional<FilmKind> FilmKindOf(const std::string& path)
{
    const std::string ext = platform::UpperExtension(path);
    if (ext == "BMP")
        return FilmKind::Bmp;
    if (ext == "FLM")
        return FilmKind::Flm;
    if (ext == "JPG")
        return FilmKind::Jpg;
    return std::nullopt;
}

const char* FilmKindName(FilmKind kind)
{
    switch (kind) {
    case FilmKind::Bmp:
        return "bmp";
    case FilmKind::Jpg:
        return "jpg";
    case FilmKind::Flm:
        return "flm";
    }
    return "";
}

FilmPtr OpenFilmByExtension(const std::string& path)
{
    const std::optional<FilmKind> kind = FilmKindOf(path);
    if (!kind) {
        platform::ShowMessage("File extension is incompatible");
        return nullptr;
    }
    switch (*kind) {
    case FilmKind::Bmp:
        return OpenBmpFilm(path);
    case FilmKind::Jpg:
        return OpenJpgFilm(path);
    case FilmKind::Flm:
        return OpenFlmFilm(path);
    }
    return nullptr;
}

}  // namespace plexo
