#include "image/vr_photo_xmp.h"

#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

#include "image/jpeg_segments.h"

namespace plexo {

namespace {

constexpr std::string_view kMainXmp("http://ns.adobe.com/xap/1.0/\0", 29);
constexpr std::string_view kExtendedXmp("http://ns.adobe.com/xmp/extension/\0", 35);
// The GUID (32 hex digits), the whole's length and this part's offset.
constexpr size_t kExtendedHeader = 32 + 4 + 4;
// More XMP than any photo's second eye needs.
constexpr uint32_t kMaxExtendedBytes = 256u << 20;

bool StartsWith(const JpegSegment& segment, std::string_view prefix)
{
    return segment.length >= prefix.size() && std::memcmp(segment.payload, prefix.data(), prefix.size()) == 0;
}

// A property's value, written as an attribute (name="value") or an element
// (<name>value</name>); empty when absent.
std::optional<std::string_view> Property(std::string_view xml, std::string_view name)
{
    for (size_t at = xml.find(name); at != std::string_view::npos; at = xml.find(name, at + 1)) {
        const size_t after = at + name.size();
        if (at > 0 && xml[at - 1] == '<') {
            if (after >= xml.size() || xml[after] != '>')
                continue;
            const size_t end = xml.find('<', after + 1);
            if (end == std::string_view::npos)
                return std::nullopt;
            return xml.substr(after + 1, end - after - 1);
        }
        size_t quote = after;
        while (quote < xml.size() && (xml[quote] == ' ' || xml[quote] == '\n' || xml[quote] == '\r' ||
                                      xml[quote] == '\t' || xml[quote] == '='))
            ++quote;
        if (quote >= xml.size() || quote == after || (xml[quote] != '"' && xml[quote] != '\''))
            continue;
        const size_t end = xml.find(xml[quote], quote + 1);
        if (end == std::string_view::npos)
            return std::nullopt;
        return xml.substr(quote + 1, end - quote - 1);
    }
    return std::nullopt;
}

std::optional<double> Number(std::string_view xml, std::string_view name)
{
    const auto text = Property(xml, name);
    double value = 0;
    if (!text || text->empty())
        return std::nullopt;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || !(value >= 0 && value < 1e9))
        return std::nullopt;
    return value;
}

int Sextet(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Base64 with blanks and line breaks between its characters; empty for any
// other character, or bits left over.
std::optional<std::vector<uint8_t>> Base64(std::string_view text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0;
    size_t padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int sextet = Sextet(c);
        if (sextet < 0 || padding > 0)
            return std::nullopt;
        bits = bits << 6 | uint32_t(sextet);
        if (++count == 4) {
            bytes.insert(bytes.end(), {uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits)});
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || padding > 2)
        return std::nullopt;
    if (count == 2)
        bytes.push_back(uint8_t(bits >> 4));
    if (count == 3)
        bytes.insert(bytes.end(), {uint8_t(bits >> 10), uint8_t(bits >> 2)});
    return bytes;
}

std::string_view GuidOf(const JpegSegment& part)
{
    return {reinterpret_cast<const char*>(part.payload) + kExtendedXmp.size(), 32};
}

// The extended XMP of one GUID: its parts put together, each byte covered
// once; empty while a part is missing, overlaps or strays.
class ExtendedXmp {
public:
    explicit ExtendedXmp(std::string_view guid) : guid_(guid) {}

    void Add(const JpegSegment& segment)
    {
        if (GuidOf(segment) != guid_ || broken_)
            return;
        const uint8_t* p = segment.payload + kExtendedXmp.size();
        const uint32_t full = Read32(p + 32, true);
        const uint32_t offset = Read32(p + 36, true);
        const size_t part = segment.length - kExtendedXmp.size() - kExtendedHeader;
        if (whole_.empty() && full > 0 && full <= kMaxExtendedBytes) {
            whole_.assign(full, 0);
            covered_.assign(full, false);
        }
        if (full != whole_.size() || offset > full || part > full - offset) {
            broken_ = true;
            return;
        }
        for (size_t i = offset; i < offset + part; ++i) {
            if (covered_[i]) {
                broken_ = true;
                return;
            }
            covered_[i] = true;
        }
        std::memcpy(whole_.data() + offset, p + kExtendedHeader, part);
        done_ += part;
    }
    std::optional<std::string_view> Text() const
    {
        if (broken_ || whole_.empty() || done_ != whole_.size())
            return std::nullopt;
        return std::string_view(reinterpret_cast<const char*>(whole_.data()), whole_.size());
    }

private:
    std::string_view guid_;
    std::vector<uint8_t> whole_;
    std::vector<bool> covered_;
    size_t done_ = 0;
    bool broken_ = false;
};

}  // namespace

std::optional<VrPhoto> ReadVrPhoto(const uint8_t* jpeg, size_t length)
{
    std::string_view main;
    std::vector<JpegSegment> parts;
    const bool read = ForEachHeaderSegment(jpeg, length, [&](const JpegSegment& segment) {
        if (segment.marker != 0xE1)
            return true;
        if (StartsWith(segment, kMainXmp) && main.empty())
            main = std::string_view(reinterpret_cast<const char*>(segment.payload) + kMainXmp.size(),
                                    segment.length - kMainXmp.size());
        else if (StartsWith(segment, kExtendedXmp) && segment.length >= kExtendedXmp.size() + kExtendedHeader)
            parts.push_back(segment);
        return true;
    });
    if (!read || parts.empty())
        return std::nullopt;
    // The main XMP names the extended XMP it goes with; without the name,
    // the first part's is taken.
    const auto named = Property(main, "xmpNote:HasExtendedXMP");
    ExtendedXmp extended(named && named->size() == 32 ? *named : GuidOf(parts.front()));
    for (const JpegSegment& part : parts)
        extended.Add(part);
    const auto text = extended.Text();
    const auto data = text ? Property(*text, "GImage:Data") : std::nullopt;
    auto second = data ? Base64(*data) : std::nullopt;
    if (!second || second->size() < 4)
        return std::nullopt;
    VrPhoto photo;
    photo.secondJpeg = std::move(*second);
    const auto left = Number(main, "GPano:CroppedAreaLeftPixels");
    const auto top = Number(main, "GPano:CroppedAreaTopPixels");
    const auto width = Number(main, "GPano:CroppedAreaImageWidthPixels");
    const auto height = Number(main, "GPano:CroppedAreaImageHeightPixels");
    const auto fullWidth = Number(main, "GPano:FullPanoWidthPixels");
    const auto fullHeight = Number(main, "GPano:FullPanoHeightPixels");
    if (left && top && width && height && fullWidth && fullHeight && *fullWidth > 0 && *fullHeight > 0)
        photo.projection = CroppedProjection(*left / *fullWidth, *top / *fullHeight,
                                             (*fullWidth - *left - *width) / *fullWidth,
                                             (*fullHeight - *top - *height) / *fullHeight);
    return photo;
}

}  // namespace plexo
