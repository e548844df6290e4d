#pragma once
// A read-only file with 64-bit positions and exact reads, for the readers of
// untrusted film files: every read either delivers all the bytes asked for or
// reports failure, and the length taken at opening lets callers check a size
// from the file before they allocate for it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace plexo {

class InputFile {
public:
    // Null when the file cannot be opened or is not a regular file, with
    // `why` set when given.
    static std::optional<InputFile> Open(const std::string& path, std::string* why = nullptr);

    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // The length when the file was opened.
    int64_t Length() const { return length_; }
    // Bytes from `offset` to the end, 0 when offset lies past it.
    int64_t Remaining(int64_t offset) const { return offset < length_ ? length_ - offset : 0; }

    // Reads exactly `size` bytes at `offset`; false on a short read or error.
    bool ReadAt(int64_t offset, void* into, size_t size) const;

    // Sequential reading from the current position, which ReadAt leaves alone.
    int64_t Position() const { return position_; }
    void Seek(int64_t position) { position_ = position; }
    // Reads up to `size` bytes and advances by the number read.
    size_t Read(void* into, size_t size);

private:
    InputFile(int fd, int64_t length) : fd_(fd), length_(length) {}
    size_t ReadSome(int64_t offset, void* into, size_t size) const;

    int fd_ = -1;
    int64_t length_ = 0;
    int64_t position_ = 0;
};

// The whole of a file of 1 to `maxBytes` bytes, its length in `length`; null
// for any other file or when memory cannot be had.
std::unique_ptr<uint8_t[]> ReadWholeFile(const std::string& path, int64_t maxBytes, size_t& length);

}  // namespace plexo
