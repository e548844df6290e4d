#pragma once
// What the harnesses share: the readers take file names, so each input is
// written to a file in a folder of this process's own, and messages and log
// lines are dropped so a run does not flood the terminal.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "film/film.h"
#include "platform/log.h"
#include "platform/message_sink.h"

namespace plexo::fuzz {

inline const std::filesystem::path& ScratchFolder()
{
    static const std::filesystem::path folder = [] {
        const std::filesystem::path f =
            std::filesystem::temp_directory_path() / ("plexo-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(f);
        platform::SetMessageSink({});
        platform::SetLogSink({});
        return f;
    }();
    return folder;
}

inline std::string WriteInput(const std::string& leaf, const uint8_t* data, size_t size)
{
    const std::string path = (ScratchFolder() / leaf).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        __builtin_trap();
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

// The input split at NUL bytes into at most `most` parts; the last part keeps
// any further NULs.
inline std::vector<std::string> SplitAtNuls(const uint8_t* data, size_t size, size_t most = SIZE_MAX)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && parts.size() < most)
            parts.emplace_back();
        else
            parts.back() += char(data[i]);
    }
    return parts;
}

// Every byte of a picture is touched, so a view that lies about its size
// shows up under AddressSanitizer.
inline unsigned Touch(const uint8_t* bytes, int32_t width, int32_t height, int bytesPerPixel)
{
    if (!bytes)
        return 0;
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide)
        __builtin_trap();
    unsigned sum = 0;
    const size_t count = size_t(width) * size_t(height) * size_t(bytesPerPixel);
    for (size_t i = 0; i < count; i += 61)
        sum += bytes[i];
    return sum + bytes[count - 1];
}

// Asks a film for each kind of picture of a few frames, stepping both ways.
inline void Exercise(Film& film, int steps)
{
    if (film.FrameCount() < 1)
        __builtin_trap();
    film.SetShift(1);
    volatile unsigned sink = 0;
    for (int i = 0; i < steps; ++i) {
        int32_t w = 0, h = 0;
        const uint8_t* p = film.GreyPicture(w, h);
        sink = sink + Touch(p, w, h, 1);
        p = film.PartnerColourPicture(w, h);
        sink = sink + Touch(p, w, h, 3);
        p = film.ColourPicture(w, h);
        sink = sink + Touch(p, w, h, 3);
        if (!(i % 2 ? film.Prev() : film.Next()))
            film.SetRound(true);
    }
    film.ReleasePictures();
}

}  // namespace plexo::fuzz
