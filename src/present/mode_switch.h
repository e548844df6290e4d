#pragma once
// Switching the display to a listed mode with the user's confirmation, and
// the start-up mode that the main frame puts back at exit.

#include <functional>
#include <optional>

#include "platform/display.h"
#include "present/display_modes.h"

namespace plexo {

struct ModeSwitch {
    enum Result {
        kNothing,   // the selection was the current mode, or no mode at all
        kKept,      // switched and confirmed
        kReverted,  // switched, not confirmed, switched back
        kRefused,   // the display did not take the mode; logged, nothing asked
    };
    Result result = kNothing;
    // The entry to select afterwards.
    int selection = 0;
};

// Switches "Display" to the selected item and asks `confirm` whether to keep
// it; unless it says yes, the former mode comes back. A switch the display
// refuses or gets wrong is logged with the mode's label and not confirmed,
// and so is a failed switch back; nothing is ever retried.
ModeSwitch SwitchToListedMode(const List4i& list, int selected, const std::function<bool()>& confirm);

// The mode shown when the program started.
class StartupMode {
public:
    // Remembers the mode the display shows now.
    void Take() { mode_ = platform::ReadCurrentMode(); }
    // Puts the start-up mode back when the display shows another one now.
    void Restore() const;

private:
    std::optional<platform::DisplayMode> mode_;
};

}  // namespace plexo
