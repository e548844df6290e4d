#pragma once
// The list of display modes that the Screen dialog and plexo-tool show: the
// display's modes of 8 bits or more, sorted, numbered, and worded.

#include <optional>
#include <string>
#include <vector>

#include "platform/display.h"

namespace plexo {

struct Item4i {
    int number = 0;  // position in the list, also the dialog's entry index
    platform::DisplayMode mode;
};

class List4i {
public:
    List4i() = default;
    // Skips modes below 8 bits, keeps duplicates, sorts by bits, width,
    // height and refresh rate, and numbers the items from 0.
    explicit List4i(const std::vector<platform::DisplayMode>& modes);

    const std::vector<Item4i>& items() const { return items_; }
    const Item4i* Find(int number) const;
    // The number of the first item equal to the mode; 0 when none is.
    int IndexOf(const std::optional<platform::DisplayMode>& mode) const;

private:
    std::vector<Item4i> items_;
};

// The name the code outside this layer uses; List4i is the name the Screen
// dialog's list has always had.
using DisplayModeList = List4i;

// "32 bits 1024 by 768 pixels 60 Hz", or "..., Default refresh" for rate 0.
std::string ModeLabel(const platform::DisplayMode& mode);

}  // namespace plexo
