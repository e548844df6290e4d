#include "doc/open_dialog_filter.h"

namespace plexo {

OpenDialogFilter MakeOpenDialog(const std::vector<FileType>& types, bool addAll)
{
    OpenDialogFilter result;
    std::string patterns;
    for (const FileType& type : types) {
        result.filter += type.description + "|" + type.pattern + "|";
        result.entries.push_back(type);
        if (!patterns.empty())
            patterns += ";";
        patterns += type.pattern;
    }
    if (addAll && !types.empty()) {
        FileType all{"All supported Files (" + patterns + ")", patterns};
        result.filter += all.description + "|" + all.pattern + "||";
        result.entries.push_back(std::move(all));
        result.selected = int(types.size()) + 1;
    }
    return result;
}

const std::vector<FileType>& FilmFileTypes()
{
    static const std::vector<FileType> types{
        {"BMP files (*.bmp)", "*.bmp"},
        {"Film files (*.flm)", "*.flm"},
        {"JPEG files (*.jpg)", "*.jpg"},
    };
    return types;
}

}  // namespace plexo
