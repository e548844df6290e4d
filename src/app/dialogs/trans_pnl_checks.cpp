#include "app/dialogs/trans_pnl_checks.h"

#include <algorithm>
#include <iterator>

namespace plexo {

std::optional<int32_t> ReadLeadingInteger(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return std::nullopt;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t QualityStep(int32_t quality, int change)
{
    const int64_t stepped = change < 0 ? int64_t(quality) + 1 : int64_t(quality) - 1;
    return static_cast<int32_t>(std::clamp<int64_t>(stepped, 1, 100));
}

const char* StartRefusal(const TranslateValues& values)
{
    if (values.fixSize != 1)
        return nullptr;
    if (values.width < 1)
        return "The width should be more 0";
    if (values.height < 1)
        return "The height should be more 0";
    const std::optional<ConversionWay> way = WayOf(values.direction);
    if (way && WritesBmp(*way) && values.width % 4 != 0)
        return "For BMP the width should be multiple 4";
    return nullptr;
}

bool CompressApplies(int32_t direction)
{
    const std::optional<ConversionWay> way = WayOf(direction);
    return way && WritesFlm(*way);
}

std::optional<ConversionWay> WayOf(int32_t direction)
{
    if (direction < 0 || size_t(direction) >= std::size(kConversionWays))
        return std::nullopt;
    return kConversionWays[direction];
}

ConversionOptions OptionsOf(const TranslateValues& values)
{
    ConversionOptions options;
    options.colour = values.colour > 0;
    options.factor = values.scale + 1;
    options.width = values.fixSize == 1 ? values.width : 0;
    options.height = values.fixSize == 1 ? values.height : 0;
    options.quality = values.quality;
    options.compress = values.compress;
    return options;
}

std::string RunOutcome(ConversionResult result, bool stopAsked, int framesWritten)
{
    const char* word = result == ConversionResult::Ok ? "finished" : stopAsked ? "stopped" : "failed";
    return std::string(word) + ", " + std::to_string(framesWritten) + (framesWritten == 1 ? " frame" : " frames") +
           " written";
}

}  // namespace plexo
