#include "platform/registry.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "platform/log.h"
#include "platform/regular_file.h"

namespace plexo::platform {

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

std::string Trim(const std::string& text)
{
    const auto blank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t b = 0, e = text.size();
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

uint32_t HexAt(const std::string& text, size_t first, size_t digits)
{
    uint32_t value = 0;
    for (size_t i = first; i < first + digits; ++i) {
        const int c = i < text.size() ? std::tolower(static_cast<unsigned char>(text[i])) : 0;
        const uint32_t digit = (c >= '0' && c <= '9') ? uint32_t(c - '0') : (c >= 'a' && c <= 'f') ? uint32_t(c - 'a' + 10) : 0;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::string RegistryFileFor(const std::string& systemFile, const std::string& executable)
{
    std::error_code error;
    if (std::filesystem::exists(systemFile, error))
        return systemFile;
    const std::filesystem::path prefix = std::filesystem::path(executable).parent_path().parent_path();
    const std::filesystem::path prefixFile = prefix / "etc" / "plexo" / "registry.ini";
    if (!executable.empty() && std::filesystem::exists(prefixFile, error))
        return prefixFile.string();
    return systemFile;
}

std::string RegistryFilePath()
{
    if (const char* path = std::getenv("PLEXO_REGISTRY"); path && *path)
        return path;
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return RegistryFileFor("/etc/plexo/registry.ini", executable.string());
}

std::optional<Registry> Registry::Read()
{
    const std::string path = RegistryFilePath();
    FileText file = ReadRegularFile(path, kRegistryFileLimit);
    std::string refusal;
    if (file.read()) {
        size_t start = 0;
        while (start < file.text.size() && refusal.empty()) {
            const size_t end = std::min(file.text.find('\n', start), file.text.size());
            if (end - start > kRegistryLineLimit)
                refusal = "a line longer than 4 KiB";
            start = end + 1;
        }
    } else if (file.result == FileText::Result::TooLarge) {
        refusal = "larger than 64 KiB";
    } else if (file.result != FileText::Result::Missing) {
        refusal = file.reason();
    }
    if (!refusal.empty()) {
        LogMessage("Registry file " + path + " not read: " + refusal);
        return std::nullopt;
    }
    if (!file.read())
        return std::nullopt;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return Registry(std::move(file.text), ec ? std::string() : absolute.parent_path().string());
}

std::optional<std::string> Registry::Value(const std::string& keyPath, const std::string& valueName) const
{
    bool inKey = false;
    size_t start = 0;
    while (start < text_.size()) {
        const size_t end = std::min(text_.find('\n', start), text_.size());
        const std::string text = Trim(text_.substr(start, end - start));
        start = end + 1;
        if (!text.empty() && text.front() == '[' && text.back() == ']') {
            inKey = SameName(Trim(text.substr(1, text.size() - 2)), keyPath);
            continue;
        }
        const size_t eq = text.find('=');
        if (!inKey || eq == std::string::npos)
            continue;
        const std::string name = Trim(text.substr(0, eq));
        if (name.size() > kRegistryNameLimit || !SameName(name, valueName))
            continue;
        std::string data = Trim(text.substr(eq + 1));
        if (data.size() + 1 > kRegistryDataLimit || data.find('\0') != std::string::npos)
            return std::nullopt;
        return data;
    }
    return std::nullopt;
}

DeviceGuid ParseDeviceGuid(const std::string& text)
{
    DeviceGuid guid;
    guid.data1 = HexAt(text, 0, 8);
    guid.data2 = uint16_t(HexAt(text, 9, 4));
    guid.data3 = uint16_t(HexAt(text, 14, 4));
    for (size_t i = 0; i < 8; ++i)
        guid.data4[i] = uint8_t(HexAt(text, 19 + 3 * i, 2));
    return guid;
}

std::optional<DeviceGuid> Registry::DeviceGuidOf(uint32_t adapter) const
{
    const auto text = Value("SOFTWARE\\K3V\\FLIPPER\\KORVA\\" + std::to_string(adapter), "DDrawKey");
    if (!text)
        return std::nullopt;
    return ParseDeviceGuid(*text);
}

}  // namespace plexo::platform
