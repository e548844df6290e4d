#pragma once
// The mode each output showed before the program first switched it: kept
// just before that first switch, told at once to whoever guards the screen
// against the program's death, and put back at exit.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/display.h"

namespace plexo {

class StartupModes {
public:
    // Called before the device is switched. Resolves the device to its output
    // and keeps that output's mode unless it was kept before. Returns the
    // output with the mode it shows now; null when the display layer does not
    // know the device, which is then left alone.
    std::optional<platform::OutputMode> Keep(const std::string& device);
    // Puts back every kept mode its output no longer shows; a failure is logged.
    void RestoreAll() const;

    const std::vector<platform::OutputMode>& kept() const { return kept_; }

    // Told of each output as it is kept, before anything switches it.
    std::function<void(const platform::OutputMode&)> onKept;

private:
    std::vector<platform::OutputMode> kept_;
};

}  // namespace plexo
