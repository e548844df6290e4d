#include <gtest/gtest.h>

#include <filesystem>

#include "film/folder_films.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

// Name order, each numbered run once as its first file, files no format opens
// and folders left out, no wrap at either end.
TEST(FolderFilms, ListsEachFilmOnceInNameOrderWithoutWrapping)
{
    test::TempDir dir;
    for (const char* name : {"b.flm", "take0002.bmp", "take0001.bmp", "TAKE0003.BMP", "a.mpo", "pair01.jps", "pair02.jps",
                             "plain.bmp", "notes.txt", "c.jpg"})
        test::WriteBytes(dir.file(name), {1});
    std::filesystem::create_directory(dir.file("d.flm"));
    const std::vector<std::string> films{"a.mpo", "b.flm", "pair01.jps", "take0001.bmp"};
    EXPECT_EQ(FolderFilms(dir.path().string()), films);

    const std::pair<const char*, const char*> next[] = {
        {"take0002.bmp", ""}, {"a.mpo", "b.flm"}, {"pair02.jps", "take0001.bmp"}, {"notes.txt", ""}, {"gone.flm", ""}};
    for (auto [from, to] : next)
        EXPECT_EQ(NeighbourFilm(dir.file(from), true), *to ? dir.file(to) : "") << from;
    EXPECT_EQ(NeighbourFilm(dir.file("a.mpo"), false), "");
    EXPECT_EQ(NeighbourFilm(dir.file("TAKE0003.BMP"), false), dir.file("pair01.jps"));
}

}  // namespace
}  // namespace plexo
