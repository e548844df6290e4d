#include "support/fixtures.h"

#include <cctype>
#include <cstdlib>

#include "support/temp_dir.h"

namespace plexo::test {

size_t BmpRowBytes(int32_t width, int bitCount) { return (size_t(width) * size_t(bitCount) + 7) / 8; }
size_t BmpStride(int32_t width, int bitCount) { return (size_t(width) * size_t(bitCount) + 31) / 32 * 4; }

std::vector<uint8_t> MakeBmpBytes(const BmpSpec& spec)
{
    const bool core = spec.headerSize == 12;
    const size_t entryBytes = core ? 3 : 4;
    const size_t tableBytes = spec.palette.size() * entryBytes;
    const size_t stride = BmpStride(spec.width, spec.bitCount);
    const size_t rowBytes = BmpRowBytes(spec.width, spec.bitCount);
    const uint32_t bitsOffset = uint32_t(14 + spec.headerSize + tableBytes + spec.gap);
    const size_t imageBytes = stride * size_t(spec.height);

    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutU32(out, uint32_t(bitsOffset + imageBytes));
    PutU32(out, 0);
    PutU32(out, bitsOffset);
    PutU32(out, spec.headerSize);
    if (core) {
        PutU16(out, uint32_t(spec.width));
        PutU16(out, uint32_t(spec.height));
        PutU16(out, 1);
        PutU16(out, uint32_t(spec.bitCount));
    } else {
        PutU32(out, uint32_t(spec.width));
        PutU32(out, uint32_t(spec.topDown ? -spec.height : spec.height));
        PutU16(out, 1);
        PutU16(out, uint32_t(spec.bitCount));
        PutU32(out, spec.compression);
        PutU32(out, uint32_t(imageBytes));
        PutU32(out, 2835);
        PutU32(out, 2835);
        PutU32(out, spec.clrUsed.value_or(0));
        PutU32(out, 0);
        out.resize(out.size() + (spec.headerSize > 40 ? spec.headerSize - 40 : 0), 0);
    }
    for (uint32_t c : spec.palette) {
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c >> 16));
        if (!core)
            out.push_back(0);
    }
    out.resize(out.size() + spec.gap, 0xEE);
    for (int32_t i = 0; i < spec.height; ++i) {
        const int32_t r = spec.topDown ? spec.height - 1 - i : i;
        const size_t from = size_t(r) * rowBytes;
        for (size_t b = 0; b < stride; ++b)
            out.push_back(b < rowBytes && from + b < spec.pixels.size() ? spec.pixels[from + b] : 0);
    }
    return out;
}

std::vector<uint8_t> MakeFlmBytes(const FlmSpec& spec)
{
    std::vector<uint8_t> out;
    const uint32_t flags = (spec.colour ? 1u : 0u) | (spec.numbered ? 2u : 0u) | (spec.extension ? 4u : 0u);
    PutU32(out, flags | spec.extraFlags);
    PutU32(out, uint32_t(spec.frameCount.value_or(int32_t(spec.frames.size()))));
    PutU32(out, uint32_t(spec.width));
    PutU32(out, uint32_t(spec.height));
    if (spec.extension) {
        PutU32(out, spec.extensionLength);
        PutU32(out, spec.packed);
    }
    for (size_t i = 0; i < spec.frames.size(); ++i) {
        if (spec.numbered)
            PutU16(out, i < spec.numbers.size() ? spec.numbers[i] : uint32_t(i));
        if (spec.extension && spec.packed)
            PutU32(out, uint32_t(spec.frames[i].size()));
        out.insert(out.end(), spec.frames[i].begin(), spec.frames[i].end());
    }
    return out;
}

std::vector<uint8_t> PatternPixels(int width, int height, int bytesPerPixel, int seed, bool smooth)
{
    std::vector<uint8_t> out(size_t(width) * size_t(height) * size_t(bytesPerPixel));
    size_t i = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < bytesPerPixel; ++c) {
                const int v = smooth ? 40 + (x * 150) / width + (y * 50) / height + c * 10 + seed
                                     : x * 7 + y * 13 + c * 71 + seed * 31 + (x * y) % 5;
                out[i++] = uint8_t(smooth && v > 255 ? 255 : v);
            }
    return out;
}

std::optional<Pnm> ReadPnm(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    size_t at = 0;
    // Reads the next whitespace-separated header field.
    auto field = [&]() -> std::string {
        while (at < bytes.size() && std::isspace(bytes[at]))
            ++at;
        std::string text;
        while (at < bytes.size() && !std::isspace(bytes[at]))
            text += char(bytes[at++]);
        return text;
    };
    Pnm image;
    const std::string magic = field();
    if (magic != "P5" && magic != "P6")
        return std::nullopt;
    image.channels = magic == "P5" ? 1 : 3;
    image.width = std::atoi(field().c_str());
    image.height = std::atoi(field().c_str());
    if (std::atoi(field().c_str()) != 255 || image.width <= 0 || image.height <= 0)
        return std::nullopt;
    ++at;
    const size_t size = size_t(image.width) * size_t(image.height) * size_t(image.channels);
    if (bytes.size() < at + size)
        return std::nullopt;
    image.pixels.assign(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + size));
    return image;
}

void WritePnm(const std::string& path, const Pnm& image)
{
    const std::string header = std::string(image.channels == 1 ? "P5" : "P6") + "\n" + std::to_string(image.width) +
                               " " + std::to_string(image.height) + "\n255\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), image.pixels.begin(), image.pixels.end());
    WriteBytes(path, bytes);
}

std::vector<uint8_t> PnmToPicture(const Pnm& image)
{
    const size_t row = size_t(image.width) * size_t(image.channels);
    std::vector<uint8_t> out(image.pixels.size());
    for (int r = 0; r < image.height; ++r) {
        const uint8_t* in = image.pixels.data() + size_t(image.height - 1 - r) * row;
        uint8_t* to = out.data() + size_t(r) * row;
        for (size_t i = 0; i < row; i += size_t(image.channels)) {
            for (int c = 0; c < image.channels; ++c)
                to[i + size_t(c)] = in[i + size_t(image.channels - 1 - c)];
        }
    }
    return out;
}

bool RunCommand(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

bool HaveProgram(const std::string& name)
{
    return RunCommand("command -v " + name + " >/dev/null 2>&1");
}

}  // namespace plexo::test
