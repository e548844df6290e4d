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
    const std::string all = "*.bmp;*.flm;*.jpg;*.jpeg;*.mpo;*.jps;*.png;*.tif;*.tiff;*.heic;*.heif;*.hif";
    EXPECT_EQ(load.filter, "BMP files (*.bmp)|*.bmp|Film files (*.flm)|*.flm|JPEG files (*.jpg;*.jpeg)|*.jpg;*.jpeg|"
                           "MPO files (*.mpo)|*.mpo|JPS files (*.jps)|*.jps|PNG files (*.png)|*.png|"
                           "TIFF files (*.tif;*.tiff)|*.tif;*.tiff|HEIC files (*.heic;*.heif;*.hif)|*.heic;*.heif;*.hif|"
                           "All supported Files (" +
                               all + ")|" + all + "||");
    EXPECT_EQ(load.selected, 9);
    EXPECT_EQ(MakeOpenDialog(SaveFrameTypes(), false).filter, "BMP files (*.bmp)|*.bmp|JPEG files (*.jpg)|*.jpg|");
    const std::pair<const char*, const char*> cases[] = {
        {"/films/take0001.bmp", "bmp"}, {"cam.Jpg", "jpg"}, {"film.FLM", "flm"}, {"film.jpeg", "jpeg"},
        {"film.flmx", nullptr},         {"film", nullptr},  {"old.flm/film", nullptr}, {"film.", nullptr},
        {"DSCF0001.MPO", "mpo"},        {"x.jps", "jps"},  {"im0.PNG", "png"},        {"a.tif", "tiff"},
        {"IMG_0001.HEIC", "heic"},      {"a.hif", "heic"}, {"a.gif", nullptr},
    };
    for (const auto& [path, name] : cases) {
        const FileFormat* format = FileFormatOf(path);
        EXPECT_EQ(format ? format->name : nullptr, name ? FileFormatNamed(name)->name : nullptr) << path;
    }
}

}  // namespace
}  // namespace plexo
