#pragma once
// Programs that share no code with this system, run by the tests: ImageMagick
// reads what the writers made, exiftool and Pillow read MPO files, cjpeg and djpeg write and decode JPEG streams
// as libjpeg does, xrandr tells what the X server shows.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace plexo::test {

// The standard output of a shell command.
inline std::string CommandOutput(const std::string& command)
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

// Whether a shell command exits 0.
inline bool RunCommand(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

inline bool HaveProgram(const std::string& name)
{
    return RunCommand("command -v " + name + " >/dev/null 2>&1");
}

// A Python that has Pillow, which another Python first on the path may
// lack; empty when none has.
inline std::string PythonWithPillow()
{
    for (const char* python : {"python3", "/usr/bin/python3"})
        if (RunCommand(std::string(python) + " -c 'import PIL' >/dev/null 2>&1"))
            return python;
    return {};
}

// `identify -format FORMAT` of one file ("%w %h", "%Q", ...).
inline std::string Identify(const std::string& path, const std::string& format)
{
    return CommandOutput("identify -format '" + format + "' '" + path + "' 2>/dev/null");
}

// The file's pixels, top row first, as red, green, blue (3 channels) or grey.
inline std::vector<uint8_t> OutsidePixels(const std::string& path, int channels)
{
    const std::string bytes =
        CommandOutput("convert '" + path + "' -depth 8 " + (channels == 3 ? "rgb" : "gray") + ":- 2>/dev/null");
    return {bytes.begin(), bytes.end()};
}

}  // namespace plexo::test
