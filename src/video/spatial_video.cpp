#include "video/spatial_video.h"

#include <algorithm>
#include <vector>

#include "image/input_file.h"
#include "image/iso_boxes.h"

namespace plexo::video {

namespace {

// Far beyond the movie box of any film of hours.
constexpr uint64_t kMaxMovieBytes = uint64_t(64) << 20;
// A visual sample entry's fields before its child boxes.
constexpr size_t kVisualEntryBytes = 78;

constexpr uint32_t kMoov = FourCc("moov"), kTrak = FourCc("trak"), kMdia = FourCc("mdia"), kMinf = FourCc("minf"),
                   kStbl = FourCc("stbl"), kStsd = FourCc("stsd"), kHvc1 = FourCc("hvc1"), kHev1 = FourCc("hev1"),
                   kVexu = FourCc("vexu"), kLhvc = FourCc("lhvC"), kHfov = FourCc("hfov"), kEyes = FourCc("eyes"),
                   kStri = FourCc("stri"), kHero = FourCc("hero"), kCams = FourCc("cams"), kBlin = FourCc("blin"),
                   kCmfy = FourCc("cmfy"), kDadj = FourCc("dadj"), kProj = FourCc("proj"), kPrji = FourCc("prji");

// The first value of a full box's body, after its version and flags.
std::optional<uint64_t> FullValue(const std::optional<IsoBox>& box, int bytes)
{
    if (!box)
        return std::nullopt;
    BoxReader r(*box);
    return r.Skip(4) ? r.Read(bytes) : std::nullopt;
}

std::string ProjectionName(uint32_t kind)
{
    switch (kind) {
    case FourCc("rect"):
        return "rectilinear";
    case FourCc("equi"):
        return "equirectangular";
    case FourCc("hequ"):
        return "half equirectangular";
    case FourCc("fish"):
        return "fisheye";
    default:
        break;
    }
    std::string word;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char(kind >> shift);
        word += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return word;
}

void ReadExtendedUsage(const IsoBox& vexu, SpatialFacts& facts)
{
    if (const auto eyes = FindChild(vexu, kEyes)) {
        if (const auto views = FullValue(FindChild(*eyes, kStri), 1)) {
            const bool left = *views & 1, right = *views & 2;
            facts.eyes = left && right ? "left and right" : left ? "left" : right ? "right" : "none";
        }
        if (const auto hero = FullValue(FindChild(*eyes, kHero), 1))
            facts.heroEye = *hero == 1 ? "left" : *hero == 2 ? "right" : "none";
        if (const auto cams = FindChild(*eyes, kCams))
            if (const auto baseline = FullValue(FindChild(*cams, kBlin), 4))
                facts.baselineMm = double(*baseline) / 1000;
        if (const auto comfort = FindChild(*eyes, kCmfy))
            if (const auto adjustment = FullValue(FindChild(*comfort, kDadj), 4))
                facts.disparityAdjustment = std::clamp(int32_t(uint32_t(*adjustment)), -kMaxDisparityAdjustment,
                                                       kMaxDisparityAdjustment);
    }
    if (const auto proj = FindChild(vexu, kProj))
        if (const auto kind = FullValue(FindChild(*proj, kPrji), 4))
            facts.projection = ProjectionName(uint32_t(*kind));
}

std::optional<SpatialFacts> FactsOfEntry(const IsoBox& entry)
{
    if ((entry.type != kHvc1 && entry.type != kHev1) || entry.bodySize < kVisualEntryBytes)
        return std::nullopt;
    const uint8_t* children = entry.body + kVisualEntryBytes;
    const size_t size = entry.bodySize - kVisualEntryBytes;
    const std::optional<IsoBox> vexu = FindBox(children, size, kVexu);
    if (!vexu && !FindBox(children, size, kLhvc))
        return std::nullopt;
    SpatialFacts facts;
    if (vexu)
        ReadExtendedUsage(*vexu, facts);
    if (const auto hfov = FindBox(children, size, kHfov)) {
        BoxReader r(*hfov);
        if (const auto thousandths = r.U32(); thousandths && *thousandths > 0 && *thousandths < 360000)
            facts.fieldOfViewDegrees = *thousandths / 1000.0;
    }
    facts.missingEye = kSecondLayerLine;
    return facts;
}

}  // namespace

std::optional<SpatialFacts> SpatialVideoFactsOfMovie(const uint8_t* moov, size_t length)
{
    std::optional<SpatialFacts> found;
    ForEachBox(moov, length, [&](const IsoBox& trak) {
        if (trak.type != kTrak)
            return true;
        std::optional<IsoBox> box = FindChild(trak, kMdia);
        for (const uint32_t type : {kMinf, kStbl, kStsd})
            box = box ? FindChild(*box, type) : std::nullopt;
        // The sample description is a full box with an entry count.
        if (!box || box->bodySize < 8)
            return true;
        ForEachBox(box->body + 8, box->bodySize - 8, [&](const IsoBox& entry) {
            found = FactsOfEntry(entry);
            return !found;
        });
        return !found;
    });
    return found;
}

std::optional<SpatialFacts> SpatialVideoFacts(const std::string& path)
{
    std::optional<InputFile> file = InputFile::Open(path);
    if (!file)
        return std::nullopt;
    // The top-level boxes' headers, read one by one: the media data between
    // them may be gigabytes.
    int64_t at = 0;
    while (file->Remaining(at) >= 8) {
        uint8_t header[16];
        if (!file->ReadAt(at, header, 8))
            return std::nullopt;
        BoxReader r(header, 8);
        uint64_t size = *r.U32();
        const uint32_t type = *r.U32();
        int64_t headerSize = 8;
        if (size == 1) {
            if (!file->ReadAt(at + 8, header + 8, 8))
                return std::nullopt;
            BoxReader large(header + 8, 8);
            size = *large.Read(8);
            headerSize = 16;
        } else if (size == 0) {
            size = uint64_t(file->Remaining(at));
        }
        if (size < uint64_t(headerSize) || size > uint64_t(file->Remaining(at)))
            return std::nullopt;
        if (type == kMoov) {
            if (size - uint64_t(headerSize) > kMaxMovieBytes)
                return std::nullopt;
            std::vector<uint8_t> moov(size_t(size) - size_t(headerSize));
            if (!file->ReadAt(at + headerSize, moov.data(), moov.size()))
                return std::nullopt;
            return SpatialVideoFactsOfMovie(moov.data(), moov.size());
        }
        at += int64_t(size);
    }
    return std::nullopt;
}

}  // namespace plexo::video
