#include "support/heic_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "support/outside_programs.h"

namespace plexo::test {

namespace {

uint32_t Get32(const std::vector<uint8_t>& f, size_t at)
{
    return uint32_t(f[at]) << 24 | uint32_t(f[at + 1]) << 16 | uint32_t(f[at + 2]) << 8 | f[at + 3];
}

void Set32(std::vector<uint8_t>& f, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        f[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

// Where the first box of the type starts.
size_t BoxAt(const std::vector<uint8_t>& f, const char* type)
{
    return size_t(std::search(f.begin(), f.end(), type, type + 4) - f.begin()) - 4;
}

// Puts `bytes` at `at`, growing each box of `parents` (which hold the place)
// and moving heif-enc's item locations (an `iloc` of version 0 or 1, 4-byte
// fields) that lie after it.
void Insert(std::vector<uint8_t>& f, size_t at, std::initializer_list<const char*> parents,
            const std::vector<uint8_t>& bytes)
{
    const size_t iloc = BoxAt(f, "iloc");
    // Version 1 has a construction method after each item's id; the extents
    // count from a base offset where the box has them.
    const size_t method = f[iloc + 8] == 1 ? 2 : 0, base = f[iloc + 13] >> 4;
    const auto move = [&](size_t field) {
        if (Get32(f, field) >= at)
            Set32(f, field, Get32(f, field) + uint32_t(bytes.size()));
    };
    size_t place = iloc + 14;
    const uint32_t items = uint32_t(f[place] << 8 | f[place + 1]);
    place += 2;
    for (uint32_t i = 0; i < items; ++i) {
        place += 4 + method;
        if (base)
            move(place);
        place += base;
        const uint32_t extents = uint32_t(f[place] << 8 | f[place + 1]);
        place += 2;
        for (uint32_t e = 0; e < extents; ++e, place += 8)
            if (!base)
                move(place);
    }
    for (const char* parent : parents)
        Set32(f, BoxAt(f, parent), Get32(f, BoxAt(f, parent)) + uint32_t(bytes.size()));
    f.insert(f.begin() + ptrdiff_t(at), bytes.begin(), bytes.end());
}

}  // namespace

HeifFile HeifEncoded(const TempDir& dir, const std::vector<std::vector<uint8_t>>& jpegs)
{
    std::string inputs;
    for (size_t i = 0; i < jpegs.size(); ++i) {
        const std::string name = dir.file("eye" + std::to_string(i) + ".jpg");
        WriteBytes(name, jpegs[i]);
        inputs += " '" + name + "'";
    }
    if (!RunCommand("heif-enc -q 95 -o '" + dir.file("made.heic") + "'" + inputs + " >/dev/null 2>&1"))
        return {};
    HeifFile made{ReadBytes(dir.file("made.heic")), {}};
    const std::string info = CommandOutput("heif-info '" + dir.file("made.heic") + "'");
    for (size_t at = info.find("(id="); at != std::string::npos; at = info.find("(id=", at + 1))
        made.pictures.push_back(uint32_t(std::atoi(info.c_str() + at + 4)));
    return made;
}

std::vector<uint8_t> WithSterGroup(std::vector<uint8_t> file, uint32_t left, uint32_t right)
{
    std::vector<uint8_t> group{0, 0, 0, 36, 'g', 'r', 'p', 'l', 0, 0, 0, 28, 's', 't', 'e', 'r', 0, 0, 0, 0};
    for (const uint32_t v : {100u, 2u, left, right})
        for (int i = 0; i < 4; ++i)
            group.push_back(uint8_t(v >> (24 - 8 * i)));
    const size_t meta = BoxAt(file, "meta");
    Insert(file, meta + Get32(file, meta), {"meta"}, group);
    return file;
}

std::vector<uint8_t> WithRotation(std::vector<uint8_t> file, uint32_t item, int quarters)
{
    // The property goes last in `ipco`; heif-enc's `ipma` (version 0, 1-byte
    // associations) gains its index after the item's own.
    const size_t ipco = BoxAt(file, "ipco");
    size_t count = 0;
    for (size_t at = ipco + 8; at < ipco + Get32(file, ipco); at += Get32(file, at))
        ++count;
    Insert(file, ipco + Get32(file, ipco), {"meta", "iprp", "ipco"},
           {0, 0, 0, 9, 'i', 'r', 'o', 't', uint8_t(quarters & 3)});
    size_t entry = BoxAt(file, "ipma") + 16;
    while (uint32_t(file[entry] << 8 | file[entry + 1]) != item)
        entry += 3 + file[entry + 2];
    file[entry + 2] += 1;
    Insert(file, entry + 3 + file[entry + 2] - 1, {"meta", "iprp", "ipma"}, {uint8_t(0x80 | (count + 1))});
    return file;
}

double MeanLevelDifference(const Picture& a, const Picture& b)
{
    if (!a || !b || a.width != b.width || a.height != b.height)
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height; ++y)
        for (size_t i = 0; i < a.rowBytes(); ++i)
            sum += std::abs(int(a.row(y)[i]) - int(b.row(y)[i]));
    return sum / double(a.rowBytes() * size_t(a.height));
}

}  // namespace plexo::test
