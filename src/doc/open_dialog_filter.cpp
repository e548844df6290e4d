#include "doc/open_dialog_filter.h"

#include <algorithm>

#include "film/file_formats.h"

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

namespace {

// One entry a description, its rows' patterns together: "JPEG files
// (*.jpg;*.jpeg)".
std::vector<FileType> TypesOfFormats(bool (*offered)(const FileFormat&))
{
    std::vector<std::string> descriptions;
    std::vector<FileType> types;
    for (const FileFormat& format : FileFormats()) {
        if (!offered(format))
            continue;
        const auto at = std::find(descriptions.begin(), descriptions.end(), format.description);
        if (at == descriptions.end()) {
            descriptions.push_back(format.description);
            types.push_back({{}, PatternOf(format)});
        } else {
            types[size_t(at - descriptions.begin())].pattern += ";" + PatternOf(format);
        }
    }
    for (size_t i = 0; i < types.size(); ++i)
        types[i].description = descriptions[i] + " (" + types[i].pattern + ")";
    return types;
}

}  // namespace

const std::vector<FileType>& FilmFileTypes()
{
    static const std::vector<FileType> types =
        TypesOfFormats([](const FileFormat& format) { return format.openFilm != nullptr; });
    return types;
}

const std::vector<FileType>& SaveFrameTypes()
{
    static const std::vector<FileType> types =
        TypesOfFormats([](const FileFormat& format) { return format.writePicture != nullptr; });
    return types;
}

}  // namespace plexo
