#pragma once
// The Export Stereo dialog's last choices, section "Export", each kept by the
// name the tool takes for it, so that the dialog's lists may grow or change
// order without another meaning for a stored value.

#include <cstdint>
#include <string>

namespace plexo::platform {

struct ExportSettings {
    // The output's extension: "mpo".
    std::string format = "mpo";
    // The presentation of a picture, as --mode names it.
    std::string presentation = "side-by-side";
    // The layout of a video, as --layout names it.
    std::string layout = "sbs";
    // Held to 1..100 when read.
    int32_t quality = 95;
    bool applyDisplacement = false;

    static ExportSettings Read();
    void Write() const;
};

}  // namespace plexo::platform
