#include "film/open_film.h"

#include "film/file_formats.h"
#include "platform/message_sink.h"

namespace plexo {

FilmPtr OpenFilmByExtension(const std::string& path, const LayoutChoice& choice)
{
    const FileFormat* format = FileFormatOf(path);
    if (!format || !format->openFilm) {
        platform::ShowMessage("File extension is incompatible: " + path);
        return nullptr;
    }
    return format->openFilm(path, choice);
}

}  // namespace plexo
