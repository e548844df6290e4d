#include "app/dialogs/set_pnl_fields.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plexo {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool OnlyBlanksFrom(const char* p)
{
    while (IsBlank(*p))
        ++p;
    return *p == '\0';
}

const char* SkipBlanks(const char* p)
{
    while (IsBlank(*p))
        ++p;
    return p;
}

}  // namespace

std::optional<int32_t> ReadWholeInteger(const std::string& text)
{
    const char* start = SkipBlanks(text.c_str());
    if (*start == '\0')
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || value < INT32_MIN || value > INT32_MAX || !OnlyBlanksFrom(end))
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<double> ReadWholeNumber(const std::string& text)
{
    const char* start = SkipBlanks(text.c_str());
    if (*start == '\0')
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start || !std::isfinite(value) || !OnlyBlanksFrom(end))
        return std::nullopt;
    return value;
}

std::string ShowNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

int32_t ASliderLimit(int32_t highestFrame)
{
    return std::clamp(highestFrame, 0, 20);
}

}  // namespace plexo
