#include "convert/output_names.h"

#include <cctype>
#include <cstdio>

#include "platform/log.h"

namespace plexo {

namespace {

std::string DropLast(const std::string& s, size_t n)
{
    return n >= s.size() ? std::string() : s.substr(0, s.size() - n);
}

// Where the file name starts: just after the last folder separator.
size_t NameStart(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string SequenceBase(const std::string& chosenPath)
{
    const std::string stem = DropLast(chosenPath, 4);
    size_t digits = 0;
    while (digits < 4 && digits < stem.size() && std::isdigit(static_cast<unsigned char>(stem[stem.size() - 1 - digits])))
        ++digits;
    return DropLast(stem, digits);
}

std::string FlmBase(const std::string& chosenPath)
{
    return DropLast(chosenPath, 4);
}

std::string FlmOutputName(const std::string& chosenPath)
{
    const size_t nameStart = NameStart(chosenPath);
    const size_t nameLength = chosenPath.size() - nameStart;
    if (nameLength > 7)
        return DropLast(chosenPath, 7) + ".flm";
    return PathLessExtension(chosenPath) + ".flm";
}

std::string PathLessExtension(const std::string& chosenPath)
{
    const size_t dot = chosenPath.find_last_of('.');
    return dot == std::string::npos || dot < NameStart(chosenPath) ? chosenPath : chosenPath.substr(0, dot);
}

std::string VideoFlmName(const std::string& chosenPath)
{
    return PathLessExtension(chosenPath) + ".flm";
}

std::string RunFlmName(const std::string& chosenPath)
{
    const std::string base = SequenceBase(chosenPath);
    return base.size() + 4 < chosenPath.size() ? FlmOutputName(chosenPath) : base + ".flm";
}

std::string FrameFileName(const std::string& base, int number, const char* extension)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", number);
    return base + digits + extension;
}

bool RunOutputNames::Claim(const std::string& fileName)
{
    if (claimed_.insert(fileName).second)
        return true;
    LogMessage("Two frames of one number: " + fileName + " was written by this run already");
    return false;
}

}  // namespace plexo
