#pragma once
// Finding the files of a numbered sequence (take0001.bmp, take0002.bmp, ...)
// from any one of them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "film/ms_film.h"

namespace plexo {

struct SequenceFile {
    int32_t number;
    std::string path;
};

// The digits are the run of up to 4 digits that ends the 4 characters just
// before the last 4 of `chosenFile` (the dot and a 3-letter extension); the
// siblings share everything before that run, have exactly as many characters
// in it, all digits, and end in `extension` (".bmp", ".jpg"), names compared
// without regard to case. Sorted by number; of files whose names differ only
// in case, one is kept (the chosen file if it is one of them).
//
// Null after showing "Filename is incompatible: <chosenFile>" when the chosen
// name has no such digits; an empty list when nothing matches.
std::optional<std::vector<SequenceFile>> GatherSequence(const std::string& chosenFile, const std::string& extension);

// What the files of one run share: the name without its digits, lower case,
// and the digits' count; empty for a name without them.
std::string SequenceKey(std::string_view name);

// For the kinds of file that stand alone as often as they come in runs (BMP,
// JPEG, MPO, JPS): the numbered run as above when the name has its digits,
// else the chosen file alone. Empty when nothing matches.
std::vector<SequenceFile> GatherRunOrFile(const std::string& chosenFile, const std::string& extension);

// The chosen file alone as frame 1; empty when it is no regular file.
std::vector<SequenceFile> FileAlone(const std::string& chosenFile);

// A frame of a numbered sequence: its file is opened, read and closed on
// every picture request, so no file is held open.
class FileCadre : public Cadre {
public:
    FileCadre(int32_t number, std::string path) : Cadre(number), path_(std::move(path)) {}
    std::string SourceFile() const override { return path_; }

protected:
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A film of one frame per file of a numbered sequence or of a file alone;
// FrameT is built from (number, path).
template <class FrameT>
class NumberedFilm : public MSFilm {
public:
    explicit NumberedFilm(std::vector<SequenceFile> files)
    {
        for (auto& f : files)
            InsertAfterCurrent(std::make_unique<FrameT>(f.number, std::move(f.path)));
        MakeFirstCurrent();
    }
};

}  // namespace plexo
