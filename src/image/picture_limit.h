#pragma once
// The most memory the decoded pictures of one frame may take. A JPEG header
// states any size up to kMaxPictureSide a side in a few bytes, and the machine
// may well give a reader the gigabytes it then asks for; a picture beyond the
// limit is refused with its reason before anything is allocated.

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>

namespace plexo {

// A quarter of the machine's physical memory (1 GiB when it cannot tell):
// the picture budget's default too.
size_t QuarterOfMemory();

// The limit starts as QuarterOfMemory().
size_t DecodedPictureLimit();
void SetDecodedPictureLimit(size_t bytes);

struct DecodedSize {
    int width;
    int height;
};

// Why the pictures of one frame (an MPO's two eyes, or one picture), of
// `bytesPerPixel` each, are not decoded: "its picture of 32768x32768 would
// take 3072 MiB decoded, more than the 2048 MiB one frame may take" (in
// bytes below 10 MiB); empty when they fit.
std::optional<std::string> DecodedSizeRefusal(std::initializer_list<DecodedSize> pictures, int bytesPerPixel);

// Logs "PATH: reason" unless it is the line this function logged last: a
// frame whose picture is asked for at every paint is told of once.
void LogRefusedPicture(const std::string& path, const std::string& reason);

}  // namespace plexo
