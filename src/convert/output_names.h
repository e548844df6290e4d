#pragma once
// The names a conversion writes, built from the full path of the source file
// the user chose.

#include <string>
#include <unordered_set>

namespace plexo {

// The path less its extension and the frame number in front of it (at most 4
// digits): /clips/walk0012.bmp gives /clips/walk.
std::string SequenceBase(const std::string& chosenPath);

// The path less ".flm": /clips/walk.flm gives /clips/walk.
std::string FlmBase(const std::string& chosenPath);

// The .flm written from a numbered sequence: the path less its last 7
// characters, then ".flm" (/clips/walk0012.bmp gives /clips/walk0.flm). The
// cut never reaches into the folder; a name it would empty keeps its stem.
std::string FlmOutputName(const std::string& chosenPath);

// The path less its extension: /clips/walk.mp4 gives /clips/walk, the base
// of a video's frames.
std::string PathLessExtension(const std::string& chosenPath);
// The .flm written from a video: /clips/walk.mp4 gives /clips/walk.flm.
std::string VideoFlmName(const std::string& chosenPath);
// The .flm written from a numbered run of BMP, JPEG, MPO or JPS files, as
// FlmOutputName; from a lone file without frame digits, the path less its
// extension then ".flm" (/photos/pair.mpo gives /photos/pair.flm).
std::string RunFlmName(const std::string& chosenPath);

// base + the number with at least four digits + extension (".bmp", ".jpg").
std::string FrameFileName(const std::string& base, int number, const char* extension);

// The frame files one run has written, claimed in frame order. Two frames of
// one number (a .flm may hold any numbers) would land in one file: the second
// claim fails, with a log line naming the file, so that the run ends with a
// write error instead of overwriting its own output.
class RunOutputNames {
public:
    bool Claim(const std::string& fileName);

private:
    std::unordered_set<std::string> claimed_;
};

}  // namespace plexo
