#include "present/display_modes.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace plexo {

List4i::List4i(const std::vector<platform::DisplayMode>& modes)
{
    for (const platform::DisplayMode& mode : modes)
        if (mode.bitsPerPixel >= 8)
            items_.push_back({0, mode});
    std::stable_sort(items_.begin(), items_.end(), [](const Item4i& a, const Item4i& b) {
        return std::tie(a.mode.bitsPerPixel, a.mode.width, a.mode.height, a.mode.refreshRate) <
               std::tie(b.mode.bitsPerPixel, b.mode.width, b.mode.height, b.mode.refreshRate);
    });
    for (size_t i = 0; i < items_.size(); ++i)
        items_[i].number = int(i);
}

const Item4i* List4i::Find(int number) const
{
    if (number < 0 || size_t(number) >= items_.size())
        return nullptr;
    return &items_[size_t(number)];
}

int List4i::IndexOf(const std::optional<platform::DisplayMode>& mode) const
{
    if (!mode)
        return 0;
    const auto found = std::find_if(items_.begin(), items_.end(), [&](const Item4i& item) { return item.mode == *mode; });
    return found == items_.end() ? 0 : found->number;
}

std::string ModeLabel(const platform::DisplayMode& mode)
{
    char text[96];
    if (mode.refreshRate != 0)
        std::snprintf(text, sizeof text, "%d bits %d by %d pixels %d Hz", int(mode.bitsPerPixel), int(mode.width),
                      int(mode.height), int(mode.refreshRate));
    else
        std::snprintf(text, sizeof text, "%d bits %d by %d pixels, Default refresh", int(mode.bitsPerPixel),
                      int(mode.width), int(mode.height));
    return text;
}

}  // namespace plexo
