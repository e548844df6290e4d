#pragma once
// Switching the display to a listed mode with the user's confirmation.

#include <functional>
#include <optional>

#include "present/display_modes.h"
#include "present/startup_modes.h"

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

// Switches the output under the main window to the selected item and asks
// `confirm` whether to keep it; unless it says yes, the former mode comes
// back. The output's start-up mode is kept in `startup` before it is first
// switched. A switch the display refuses or gets wrong is logged with the
// mode's label and not confirmed, and so is a failed switch back; nothing is
// ever retried.
ModeSwitch SwitchToListedMode(const List4i& list, int selected, const std::function<bool()>& confirm,
                              StartupModes& startup);

}  // namespace plexo
