// Writes the desktop files that list file types, from the table of file
// formats: the MIME file, which declares the system's own types, and the menu
// entry, whose MIME list names every type the viewer opens. The build runs it:
//   make_desktop_files ENTRY_TEMPLATE OUT_DIR
// The template's "@MIME_TYPES@" becomes the list.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "film/file_formats.h"
#include "video/video_formats.h"

namespace {

std::string MimeFile()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const plexo::FileFormat& format : plexo::FileFormats()) {
        if (!format.ownTypeComment)
            continue;
        xml += std::string("  <mime-type type=\"") + format.mimeType + "\">\n" + "    <comment>" +
               format.ownTypeComment + "</comment>\n" + "    <icon name=\"plexo\"/>\n" + "    <glob pattern=\"*." +
               format.extension + "\"/>\n" + "  </mime-type>\n";
    }
    return xml + "</mime-info>\n";
}

// The system's own types first, then the standard ones, each once.
std::string MimeList()
{
    std::string list;
    for (const bool own : {true, false})
        for (const plexo::FileFormat& format : plexo::FileFormats()) {
            const std::string entry = std::string(format.mimeType) + ";";
            if (format.openFilm && (format.ownTypeComment != nullptr) == own && list.find(entry) == std::string::npos)
                list += entry;
        }
    return list;
}

bool Write(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out)
        std::fprintf(stderr, "make_desktop_files: cannot write %s\n", path.c_str());
    return bool(out);
}

}  // namespace

int main(int argc, char** argv)
{
    plexo::video::AddVideoFormats();
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_desktop_files ENTRY_TEMPLATE OUT_DIR\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream entry;
    entry << in.rdbuf();
    std::string text = entry.str();
    const std::string marker = "@MIME_TYPES@";
    const size_t at = text.find(marker);
    if (!in || at == std::string::npos) {
        std::fprintf(stderr, "make_desktop_files: %s holds no %s\n", argv[1], marker.c_str());
        return 1;
    }
    text.replace(at, marker.size(), MimeList());
    const std::string dir = argv[2];
    return Write(dir + "/plexo-mime.xml", MimeFile()) && Write(dir + "/plexo.desktop", text) ? 0 : 1;
}
