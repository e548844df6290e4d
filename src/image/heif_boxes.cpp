#include "image/heif_boxes.h"

#include <algorithm>
#include <cmath>

#include "image/iso_boxes.h"

namespace plexo {

namespace {

constexpr uint32_t kMeta = FourCc("meta"), kIloc = FourCc("iloc"), kGrpl = FourCc("grpl"), kSter = FourCc("ster"),
                   kIprp = FourCc("iprp"), kIpco = FourCc("ipco"), kIpma = FourCc("ipma"), kCmin = FourCc("cmin"),
                   kCmex = FourCc("cmex");

// One field of the location box: where it lies in the file and how wide.
struct OffsetField {
    size_t at = 0;
    int bytes = 0;
    uint64_t value = 0;
};

// One item of the location box: its id and the file offsets it names, the
// base first when the box has one.
struct Location {
    uint32_t item = 0;
    bool inFile = false;
    std::optional<OffsetField> base;
    std::vector<OffsetField> extents;
};

std::optional<std::vector<Location>> ReadLocations(const IsoBox& iloc, const uint8_t* fileStart)
{
    BoxReader r(iloc);
    const auto version = r.U8();
    if (!version || *version > 2 || !r.Skip(3))
        return std::nullopt;
    const auto sizes = r.U8(), more = r.U8();
    if (!sizes || !more)
        return std::nullopt;
    const int offsetSize = int(*sizes >> 4), lengthSize = int(*sizes & 15), baseSize = int(*more >> 4);
    const int indexSize = *version >= 1 ? int(*more & 15) : 0;
    const auto fieldOk = [](int n) { return n == 0 || n == 4 || n == 8; };
    if (!fieldOk(offsetSize) || !fieldOk(lengthSize) || !fieldOk(baseSize) || !fieldOk(indexSize))
        return std::nullopt;
    const auto count = *version < 2 ? r.U16() : r.U32();
    if (!count)
        return std::nullopt;
    std::vector<Location> locations;
    for (uint32_t i = 0; i < *count; ++i) {
        Location location;
        const auto item = *version < 2 ? r.U16() : r.U32();
        std::optional<uint32_t> method = 0;
        if (*version >= 1)
            method = r.U16();
        if (!item || !method || !r.U16())
            return std::nullopt;
        location.item = *item;
        location.inFile = (*method & 15) == 0;
        if (baseSize > 0) {
            const size_t at = size_t(r.here() - fileStart);
            const auto base = r.Read(baseSize);
            if (!base)
                return std::nullopt;
            location.base = OffsetField{at, baseSize, *base};
        }
        const auto extents = r.U16();
        if (!extents)
            return std::nullopt;
        for (uint32_t e = 0; e < *extents; ++e) {
            if (!r.Skip(size_t(indexSize)))
                return std::nullopt;
            const size_t at = size_t(r.here() - fileStart);
            const auto offset = r.Read(offsetSize);
            if (!offset || !r.Skip(size_t(lengthSize)))
                return std::nullopt;
            if (offsetSize > 0)
                location.extents.push_back({at, offsetSize, *offset});
        }
        locations.push_back(std::move(location));
    }
    return locations;
}

std::optional<IsoBox> MetaOf(const uint8_t* bytes, size_t length)
{
    return FindBox(bytes, length, kMeta);
}

std::optional<HeifStereoPair> StereoGroupOf(const IsoBox& grpl)
{
    std::optional<HeifStereoPair> pair;
    ForEachBox(grpl.body, grpl.bodySize, [&](const IsoBox& group) {
        if (group.type != kSter)
            return true;
        BoxReader r(group);
        const auto id = r.Skip(4) ? r.U32() : std::nullopt;
        const auto count = id ? r.U32() : std::nullopt;
        if (!count || *count < 2)
            return true;
        const auto left = r.U32(), right = r.U32();
        if (left && right)
            pair = HeifStereoPair{*left, *right};
        return !pair;
    });
    return pair;
}

// The horizontal field of view of a `cmin` body: its focal length counts in
// widths of the picture, over 2 to the power of the flags' shift.
std::optional<double> FieldOfView(const IsoBox& cmin)
{
    BoxReader r(cmin);
    const auto head = r.U32();
    const auto focal = head ? r.S32() : std::nullopt;
    if (!focal || *focal <= 0)
        return std::nullopt;
    const int shift = int(*head >> 8 & 0x1F);
    const double widths = double(*focal) / double(uint32_t(1) << shift);
    const double degrees = 2 * std::atan(0.5 / widths) * 180 / M_PI;
    return degrees > 0 && degrees < 180 ? std::optional<double>(degrees) : std::nullopt;
}

std::optional<int32_t> PositionX(const IsoBox& cmex)
{
    BoxReader r(cmex);
    return r.Skip(4) ? r.S32() : std::nullopt;
}

void ReadCameras(const IsoBox& iprp, HeifBoxFacts& facts)
{
    const std::optional<IsoBox> ipco = FindChild(iprp, kIpco);
    if (!ipco)
        return;
    std::vector<IsoBox> properties;
    ForEachBox(ipco->body, ipco->bodySize, [&](const IsoBox& box) {
        properties.push_back(box);
        return true;
    });
    ForEachBox(iprp.body, iprp.bodySize, [&](const IsoBox& ipma) {
        if (ipma.type != kIpma)
            return true;
        BoxReader r(ipma);
        const auto version = r.U8();
        const auto flags = version ? r.Read(3) : std::nullopt;
        const auto count = flags ? r.U32() : std::nullopt;
        for (uint32_t i = 0; count && i < *count; ++i) {
            const auto item = *version < 1 ? r.U16() : r.U32();
            const auto associations = item ? r.U8() : std::nullopt;
            if (!associations)
                return false;
            for (uint32_t a = 0; a < *associations; ++a) {
                const auto entry = (*flags & 1) ? r.U16() : r.U8();
                if (!entry)
                    return false;
                const uint32_t index = *entry & ((*flags & 1) ? 0x7FFF : 0x7F);
                if (index == 0 || index > properties.size())
                    continue;
                const IsoBox& property = properties[index - 1];
                if (property.type == kCmin)
                    facts.cameras[*item].fieldOfViewDegrees = FieldOfView(property);
                else if (property.type == kCmex)
                    facts.cameras[*item].positionX = PositionX(property);
            }
        }
        return true;
    });
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

void WriteField(std::vector<uint8_t>& file, const OffsetField& field, uint64_t value)
{
    for (int i = 0; i < field.bytes; ++i)
        file[field.at + size_t(i)] = uint8_t(value >> (8 * (field.bytes - 1 - i)));
}

bool Fits(const OffsetField& field, uint64_t value)
{
    return field.bytes == 8 || value <= UINT32_MAX;
}

// Adds `size` to a box's size field, 32 or 64 bits as it is written.
bool Grow(std::vector<uint8_t>& file, size_t boxAt, size_t size)
{
    BoxReader r(file.data() + boxAt, file.size() - boxAt);
    const uint32_t small = *r.U32();
    if (small == 0)
        return true;
    if (small == 1) {
        r.Skip(4);
        const OffsetField large{boxAt + 8, 8, *r.Read(8)};
        WriteField(file, large, large.value + size);
        return true;
    }
    const OffsetField field{boxAt, 4, small};
    if (!Fits(field, uint64_t(small) + size))
        return false;
    WriteField(file, field, small + size);
    return true;
}

}  // namespace

HeifBoxFacts ReadHeifBoxes(const uint8_t* bytes, size_t length)
{
    HeifBoxFacts facts;
    const std::optional<IsoBox> meta = MetaOf(bytes, length);
    if (!meta)
        return facts;
    if (const auto iloc = FindChild(*meta, kIloc, true))
        if (const auto locations = ReadLocations(*iloc, bytes))
            for (const Location& location : *locations)
                facts.items.push_back(location.item);
    if (const auto grpl = FindChild(*meta, kGrpl, true))
        facts.stereo = StereoGroupOf(*grpl);
    if (const auto iprp = FindChild(*meta, kIprp, true))
        ReadCameras(*iprp, facts);
    return facts;
}

SpatialFacts CameraFacts(const HeifBoxFacts& facts, const HeifStereoPair& pair)
{
    SpatialFacts spatial;
    const auto left = facts.cameras.find(pair.left), right = facts.cameras.find(pair.right);
    if (left != facts.cameras.end()) {
        spatial.fieldOfViewDegrees = left->second.fieldOfViewDegrees;
        if (right != facts.cameras.end() && left->second.positionX && right->second.positionX &&
            *left->second.positionX != *right->second.positionX)
            spatial.baselineMm = std::abs(double(*right->second.positionX) - double(*left->second.positionX)) / 1000;
    }
    return spatial;
}

std::optional<std::vector<uint8_t>> WithStereoGroup(const uint8_t* bytes, size_t length, HeifStereoPair pair)
{
    const std::optional<IsoBox> meta = MetaOf(bytes, length);
    const std::optional<IsoBox> iloc = meta ? FindChild(*meta, kIloc, true) : std::nullopt;
    const auto locations = iloc ? ReadLocations(*iloc, bytes) : std::nullopt;
    if (!locations)
        return std::nullopt;
    const auto known = [&](uint32_t item) {
        return std::any_of(locations->begin(), locations->end(), [&](const Location& l) { return l.item == item; });
    };
    if (!known(pair.left) || !known(pair.right) || pair.left == pair.right)
        return std::nullopt;
    // A group's id must differ from every item's and every other group's.
    uint32_t id = 0;
    for (const Location& location : *locations)
        id = std::max(id, location.item);
    const std::optional<IsoBox> grpl = FindChild(*meta, kGrpl, true);
    if (grpl)
        ForEachBox(grpl->body, grpl->bodySize, [&](const IsoBox& group) {
            BoxReader r(group);
            if (const auto other = r.Skip(4) ? r.U32() : std::nullopt)
                id = std::max(id, *other);
            return true;
        });
    if (id == UINT32_MAX)
        return std::nullopt;
    std::vector<uint8_t> insert;
    if (!grpl) {
        PutU32(insert, 8 + 28);
        PutU32(insert, kGrpl);
    }
    PutU32(insert, 28);
    PutU32(insert, kSter);
    PutU32(insert, 0);
    PutU32(insert, id + 1);
    PutU32(insert, 2);
    PutU32(insert, pair.left);
    PutU32(insert, pair.right);
    const IsoBox& into = grpl ? *grpl : *meta;
    const size_t at = size_t(into.start + into.size - bytes);
    const size_t moved = insert.size();
    std::vector<uint8_t> file(bytes, bytes + length);
    // Each location in the file at or after the insertion moves by its size:
    // through the base where there is one, since the extents count from it.
    for (const Location& location : *locations) {
        if (!location.inFile)
            continue;
        const uint64_t base = location.base ? location.base->value : 0;
        if (location.base && base >= at) {
            if (!Fits(*location.base, base + moved))
                return std::nullopt;
            WriteField(file, *location.base, base + moved);
            continue;
        }
        for (const OffsetField& extent : location.extents)
            if (base + extent.value >= at) {
                if (!Fits(extent, extent.value + moved))
                    return std::nullopt;
                WriteField(file, extent, extent.value + moved);
            }
    }
    if (!Grow(file, size_t(meta->start - bytes), moved) || (grpl && !Grow(file, size_t(grpl->start - bytes), moved)))
        return std::nullopt;
    file.insert(file.begin() + ptrdiff_t(at), insert.begin(), insert.end());
    return file;
}

}  // namespace plexo
