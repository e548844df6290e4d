#include "image/iso_boxes.h"

namespace plexo {

std::optional<uint64_t> BoxReader::Read(int bytes)
{
    if (bytes < 0 || size_t(bytes) > left_ || bytes > 8)
        return std::nullopt;
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | at_[i];
    at_ += bytes;
    left_ -= size_t(bytes);
    return value;
}

bool BoxReader::Skip(size_t bytes)
{
    if (bytes > left_)
        return false;
    at_ += bytes;
    left_ -= bytes;
    return true;
}

void ForEachBox(const uint8_t* bytes, size_t length, const std::function<bool(const IsoBox&)>& visit)
{
    size_t at = 0;
    while (length - at >= 8) {
        BoxReader header(bytes + at, length - at);
        const uint64_t small = *header.U32();
        IsoBox box;
        box.type = *header.U32();
        uint64_t size = small;
        size_t headerSize = 8;
        if (small == 1) {
            const std::optional<uint64_t> large = header.Read(8);
            if (!large)
                return;
            size = *large;
            headerSize = 16;
        } else if (small == 0) {
            size = length - at;
        }
        if (size < headerSize || size > length - at)
            return;
        box.start = bytes + at;
        box.size = size_t(size);
        box.body = box.start + headerSize;
        box.bodySize = box.size - headerSize;
        if (!visit(box))
            return;
        at += box.size;
    }
}

std::optional<IsoBox> FindBox(const uint8_t* bytes, size_t length, uint32_t type)
{
    std::optional<IsoBox> found;
    ForEachBox(bytes, length, [&](const IsoBox& box) {
        if (box.type == type)
            found = box;
        return !found;
    });
    return found;
}

std::optional<IsoBox> FindChild(const IsoBox& parent, uint32_t type, bool parentIsFull)
{
    const size_t skip = parentIsFull ? 4 : 0;
    if (parent.bodySize < skip)
        return std::nullopt;
    return FindBox(parent.body + skip, parent.bodySize - skip, type);
}

}  // namespace plexo
