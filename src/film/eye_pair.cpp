#include "film/eye_pair.h"

#include <cstring>

namespace plexo {

namespace {

struct CopiedEyes {
    PictureBuffer first;
    PictureBuffer second;
};

// Copies `from` into a new packed buffer; false when memory cannot be had.
bool CopyInto(const Picture& from, PictureBuffer& to, Picture& view)
{
    if (!from)
        return true;
    to = PictureBuffer::allocate(from.width, from.height, from.bytesPerPixel);
    if (!to)
        return false;
    const size_t rowBytes = from.rowBytes();
    for (int r = 0; r < from.height; ++r)
        std::memcpy(to.bytes.get() + size_t(r) * rowBytes, from.row(r), rowBytes);
    view = Picture(to.bytes.get(), from.width, from.height, from.bytesPerPixel);
    return true;
}

}  // namespace

EyePairPtr CopiedPair(const Picture& first, const Picture& second, int32_t frameNumber, int32_t partnerNumber,
                      int64_t timestampUs)
{
    auto eyes = std::make_shared<CopiedEyes>();
    auto pair = std::make_shared<EyePair>();
    if (!CopyInto(first, eyes->first, pair->first) || !CopyInto(second, eyes->second, pair->second))
        return nullptr;
    pair->frameNumber = frameNumber;
    pair->partnerNumber = partnerNumber;
    pair->timestampUs = timestampUs;
    pair->owner = std::move(eyes);
    return pair;
}

}  // namespace plexo
