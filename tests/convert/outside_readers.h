#pragma once
// Reading what the writers made with programs that share no code with them:
// ImageMagick for BMP and JPEG files. The tool tests use them too.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace plexo::test {

// The standard output of a shell command.
inline std::string Run(const std::string& command)
{
    std::string out;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
            out.append(buffer, n);
        ::pclose(p);
    }
    return out;
}

// `identify -format FORMAT` of one file ("%w %h", "%Q", ...).
inline std::string Identify(const std::string& path, const std::string& format)
{
    return Run("identify -format '" + format + "' '" + path + "' 2>/dev/null");
}

// The file's pixels, top row first, as red, green, blue (3 channels) or grey.
inline std::vector<uint8_t> OutsidePixels(const std::string& path, int channels)
{
    const std::string bytes =
        Run("convert '" + path + "' -depth 8 " + (channels == 3 ? "rgb" : "gray") + ":- 2>/dev/null");
    return {bytes.begin(), bytes.end()};
}

}  // namespace plexo::test
