#include "doc/doc_fixtures.h"

#include <cstdio>
#include <vector>

#include "doc/write_bmp_file.h"
#include "support/temp_dir.h"

namespace plexo::test {

void WriteFlmFilm(const std::string& path, int frames, int width, int height)
{
    std::vector<uint8_t> bytes;
    PutU32(bytes, 3);  // colour frames, each with its number
    PutU32(bytes, uint32_t(frames));
    PutU32(bytes, uint32_t(width));
    PutU32(bytes, uint32_t(height));
    for (int k = 0; k < frames; ++k) {
        PutU16(bytes, uint32_t(10 + k));
        bytes.insert(bytes.end(), size_t(width * height * 3), uint8_t(10 + k));
    }
    WriteBytes(path, bytes);
}

std::string WriteBmpSequence(const std::string& folder, const std::string& base, int frames)
{
    std::vector<uint8_t> pixels(2 * 2 * 3);
    const Picture picture{pixels.data(), 2, 2, 3};
    const std::vector<uint8_t> header = BitmapHeaderFor(picture);
    for (int k = 1; k <= frames; ++k) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%04d.bmp", base.c_str(), k);
        std::fill(pixels.begin(), pixels.end(), uint8_t(k));
        WriteBmpFile(folder + "/" + name, header.data(), pixels.data());
    }
    return folder + "/" + base + "0001.bmp";
}

}  // namespace plexo::test
