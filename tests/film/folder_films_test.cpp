#include <gtest/gtest.h>

#include <filesystem>

#include "film/folder_films.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

// Name order (case aside), each numbered run once as its first file, a loose
// picture alone, files no format opens and folders left out, no wrap at either
// end.
TEST(FolderFilms, ListsEachFilmOnceInNameOrderWithoutWrapping)
{
    test::TempDir dir;
    for (const char* name : {"b.flm", "take0002.bmp", "take0001.bmp", "TAKE0003.BMP", "a.mpo", "pair01.jps", "pair02.jps",
                             "plain.bmp", "notes.txt"})
        test::WriteBytes(dir.file(name), {1});
    std::filesystem::create_directory(dir.file("d.flm"));
    EXPECT_EQ(FolderFilms(dir.path().string()), (std::vector<std::string>{"a.mpo", "b.flm", "pair01.jps", "plain.bmp", "take0001.bmp"}));
    const std::tuple<const char*, bool, const char*> steps[] = {
        {"take0002.bmp", true, ""}, {"a.mpo", true, "b.flm"}, {"pair02.jps", true, "plain.bmp"}, {"notes.txt", true, ""},
        {"gone.flm", true, ""},     {"a.mpo", false, ""},     {"TAKE0003.BMP", false, "plain.bmp"}};
    for (auto [from, forward, to] : steps)
        EXPECT_EQ(NeighbourFilm(dir.file(from), forward), *to ? dir.file(to) : "") << from << forward;
}

}  // namespace
}  // namespace plexo
