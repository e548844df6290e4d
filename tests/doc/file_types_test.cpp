#include <gtest/gtest.h>

#include "doc/open_dialog_filter.h"
#include "film/file_formats.h"

namespace plexo {
namespace {

// The dialogs' texts are built from the table of file formats: its order and
// which rows open or write decide them, so they are held here word for word;
// extensions match whole and without regard to case.
TEST(FileTypes, DialogsOfferTheTablesFormatsAndExtensionsMatchWhole)
{
    const OpenDialogFilter load = MakeOpenDialog(FilmFileTypes(), true);
    EXPECT_EQ(load.filter, "BMP files (*.bmp)|*.bmp|Film files (*.flm)|*.flm|JPEG files (*.jpg)|*.jpg|"
                           "MPO files (*.mpo)|*.mpo|JPS files (*.jps)|*.jps|"
                           "All supported Files (*.bmp;*.flm;*.jpg;*.mpo;*.jps)|*.bmp;*.flm;*.jpg;*.mpo;*.jps||");
    EXPECT_EQ(load.selected, 6);
    EXPECT_EQ(MakeOpenDialog(SaveFrameTypes(), false).filter, "BMP files (*.bmp)|*.bmp|JPEG files (*.jpg)|*.jpg|");
    const std::pair<const char*, const char*> cases[] = {
        {"/films/take0001.bmp", "bmp"}, {"cam.Jpg", "jpg"}, {"film.FLM", "flm"}, {"film.jpeg", nullptr},
        {"film.flmx", nullptr},         {"film", nullptr},  {"old.flm/film", nullptr}, {"film.", nullptr},
        {"DSCF0001.MPO", "mpo"},        {"x.jps", "jps"},
    };
    for (const auto& [path, name] : cases) {
        const FileFormat* format = FileFormatOf(path);
        EXPECT_EQ(format ? format->name : nullptr, name ? FileFormatNamed(name)->name : nullptr) << path;
    }
}

}  // namespace
}  // namespace plexo
