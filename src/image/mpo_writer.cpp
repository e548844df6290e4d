#include "image/mpo_writer.h"

#include "image/jpeg_segments.h"
#include "image/mpo_index.h"

namespace plexo {

namespace {

constexpr uint32_t kRepresentative = 1u << 29;
constexpr uint16_t kTagVersion = 0xB000, kTagCount = 0xB001, kTagEntries = 0xB002;
constexpr uint16_t kLong = 4, kUndefined = 7;

// The marker, the length, "MPF\0": what precedes the TIFF header, from
// which every offset of the block counts.
constexpr size_t kBeforeHeader = 2 + 2 + 4;
// The header, the directory of three tags and its next-directory link, two
// entries of 16 bytes.
constexpr size_t kHeaderBytes = 8, kDirectoryBytes = 2 + 3 * 12 + 4, kEntriesBytes = 2 * 16;
constexpr size_t kBlockBytes = kBeforeHeader + kHeaderBytes + kDirectoryBytes + kEntriesBytes;

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v >> 16);
    Put16(out, v);
}

void PutTag(std::vector<uint8_t>& out, uint16_t tag, uint16_t type, uint32_t count, uint32_t value)
{
    Put16(out, tag);
    Put16(out, type);
    Put32(out, count);
    Put32(out, value);
}

}  // namespace

std::optional<MpoPieces> MpoPairPieces(const uint8_t* first, size_t firstLength, size_t secondLength)
{
    const size_t insertAt = HeaderInsertPoint(first, firstLength);
    const uint64_t firstTotal = uint64_t(firstLength) + kBlockBytes;
    if (insertAt == 0 || firstTotal + secondLength > UINT32_MAX)
        return std::nullopt;
    std::vector<uint8_t> block;
    block.reserve(kBlockBytes);
    Put16(block, 0xFFE2);
    Put16(block, uint32_t(kBlockBytes - 2));
    block.insert(block.end(), {'M', 'P', 'F', 0});
    // Big-endian, as the cameras write it; the directory right after the
    // header, the entries right after the directory.
    block.insert(block.end(), {'M', 'M', 0, 42});
    Put32(block, kHeaderBytes);
    Put16(block, 3);
    PutTag(block, kTagVersion, kUndefined, 4, uint32_t('0') << 24 | uint32_t('1') << 16 | '0' << 8 | '0');
    PutTag(block, kTagCount, kLong, 1, 2);
    PutTag(block, kTagEntries, kUndefined, kEntriesBytes, kHeaderBytes + kDirectoryBytes);
    Put32(block, 0);
    // Each entry: attributes, length, offset, two dependent-picture numbers.
    // The first picture is stored at offset 0; the second's offset counts
    // from the TIFF header.
    const size_t header = insertAt + kBeforeHeader;
    Put32(block, kRepresentative | kMpDisparity);
    Put32(block, uint32_t(firstTotal));
    Put32(block, 0);
    Put32(block, 0);
    Put32(block, kMpDisparity);
    Put32(block, uint32_t(secondLength));
    Put32(block, uint32_t(firstTotal - header));
    Put32(block, 0);
    return MpoPieces{insertAt, std::move(block)};
}

}  // namespace plexo
