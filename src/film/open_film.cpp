#include "film/open_film.h"

#include "film/factories.h"
#include "platform/message_sink.h"

namespace plexo {

std::optional<FilmKind> FilmKindOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
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
