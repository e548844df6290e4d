#pragma once
// A fresh folder under the temporary directory for a benchmark's files,
// removed when the program ends. Make it as a function-local static before
// its users, so that it outlives them.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace plexo::bench {

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path path;

    // The file `name` in the folder, made once with the ffmpeg arguments
    // given; ends the program when ffmpeg fails.
    std::string Made(const std::string& name, const std::string& arguments) const
    {
        const std::string file = (path / name).string();
        if (!std::filesystem::exists(file) &&
            std::system(("ffmpeg -v error -y " + arguments + " '" + file + "'").c_str()) != 0)
            std::abort();
        return file;
    }
};

}  // namespace plexo::bench
