#include "image/save_picture.h"

#include <vector>

#include "image/jpeg_codec.h"
#include "image/write_bmp_file.h"

namespace plexo {

namespace {
constexpr int kJpegQuality = 95;
}

bool SaveBmpPicture(const std::string& path, const Picture& picture)
{
    std::vector<uint8_t> store;
    const Picture packed = PackedRows(picture, store);
    if (!packed)
        return false;
    const std::vector<uint8_t> header = BitmapHeaderFor(packed);
    return !header.empty() && WriteBmpFile(path, header.data(), packed.data);
}

bool SaveJpegPicture(const std::string& path, const Picture& picture)
{
    return WriteJpegFile(path, picture, kJpegQuality);
}

}  // namespace plexo
