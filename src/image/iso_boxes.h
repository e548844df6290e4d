#pragma once
// The boxes of an ISO base media file (HEIF pictures, MP4 and QuickTime
// films): a 32-bit size and a four-letter type, then the body, the size
// possibly 64-bit (1) or "to the end" (0). Every box handed out lies inside
// the bytes it was found in; a box whose size passes their end ends the walk.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace plexo {

constexpr uint32_t FourCc(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 | uint32_t(uint8_t(code[2])) << 8 |
           uint32_t(uint8_t(code[3]));
}

struct IsoBox {
    uint32_t type = 0;
    // Where the box starts (its header) and its whole size, header included.
    const uint8_t* start = nullptr;
    size_t size = 0;
    // The body after the header.
    const uint8_t* body = nullptr;
    size_t bodySize = 0;
};

// Calls `visit` for each box laid one after another in the bytes, in order,
// until it returns false or a box does not fit.
void ForEachBox(const uint8_t* bytes, size_t length, const std::function<bool(const IsoBox&)>& visit);
// The first box of the type among them.
std::optional<IsoBox> FindBox(const uint8_t* bytes, size_t length, uint32_t type);
// The first child of the type inside `parent`; a full box (`parentIsFull`)
// has its version and flags (4 bytes) before its children.
std::optional<IsoBox> FindChild(const IsoBox& parent, uint32_t type, bool parentIsFull = false);

// Big-endian reads that check the bytes are there.
class BoxReader {
public:
    BoxReader(const uint8_t* bytes, size_t length) : at_(bytes), left_(length) {}
    explicit BoxReader(const IsoBox& box) : BoxReader(box.body, box.bodySize) {}

    std::optional<uint64_t> Read(int bytes);
    std::optional<uint32_t> U8() { return Narrow(Read(1)); }
    std::optional<uint32_t> U16() { return Narrow(Read(2)); }
    std::optional<uint32_t> U32() { return Narrow(Read(4)); }
    std::optional<int32_t> S32()
    {
        const auto v = U32();
        return v ? std::optional<int32_t>(int32_t(*v)) : std::nullopt;
    }
    bool Skip(size_t bytes);
    const uint8_t* here() const { return at_; }
    size_t left() const { return left_; }

private:
    static std::optional<uint32_t> Narrow(std::optional<uint64_t> v)
    {
        return v ? std::optional<uint32_t>(uint32_t(*v)) : std::nullopt;
    }
    const uint8_t* at_;
    size_t left_;
};

}  // namespace plexo
