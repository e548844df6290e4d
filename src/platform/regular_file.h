#pragma once
// Reading a small file that someone else may have put in place of the one
// expected: only a regular file is read, it is opened without blocking (a
// FIFO would otherwise wait for a writer for ever), and one longer than the
// limit is not read at all, so a device or a huge file costs nothing.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plexo::platform {

struct FileText {
    enum class Result { Read, Missing, NotRegular, TooLarge, Unreadable };
    Result result = Result::Missing;
    std::string text;  // the whole file when read
    int error = 0;     // errno of an unreadable file

    bool read() const { return result == Result::Read; }
    // Why the file was not read, for a log line: "not a regular file", ...
    std::string reason() const;
};

FileText ReadRegularFile(const std::string& path, size_t limit = SIZE_MAX);

}  // namespace plexo::platform
