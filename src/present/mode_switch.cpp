#include "present/mode_switch.h"

#include "platform/log.h"

namespace plexo {

namespace {

using platform::DisplayMode;
using platform::kDefaultDisplay;

void LogSwitchFailure(const char* what, const DisplayMode& mode)
{
    LogMessage(std::string(what) + ModeLabel(mode));
}

// Puts the mode back after a switch; a failure is logged once.
void SwitchBack(const DisplayMode& former)
{
    if (!platform::ApplyModeToDevice(kDefaultDisplay, former))
        LogSwitchFailure("Display mode not restored: ", former);
}

}  // namespace

ModeSwitch SwitchToListedMode(const List4i& list, int selected, const std::function<bool()>& confirm)
{
    const std::optional<DisplayMode> former = platform::ReadCurrentMode();
    const int formerIndex = list.IndexOf(former);
    ModeSwitch outcome{ModeSwitch::kNothing, formerIndex};
    const Item4i* item = list.Find(selected);
    if (selected == formerIndex || !item)
        return outcome;

    if (!platform::ApplyModeToDevice(kDefaultDisplay, item->mode)) {
        LogSwitchFailure("Display mode not set: ", item->mode);
        // A display that came out in a third mode gets its former one back.
        const std::optional<DisplayMode> shown = platform::ReadCurrentMode();
        if (former && shown != former)
            SwitchBack(*former);
        outcome.result = ModeSwitch::kRefused;
        outcome.selection = list.IndexOf(platform::ReadCurrentMode());
        return outcome;
    }
    if (confirm()) {
        outcome.result = ModeSwitch::kKept;
        outcome.selection = selected;
        return outcome;
    }
    if (former)
        SwitchBack(*former);
    outcome.result = ModeSwitch::kReverted;
    return outcome;
}

void StartupMode::Restore() const
{
    if (!mode_ || platform::ReadCurrentMode() == mode_)
        return;
    if (!platform::ApplyModeToDevice(kDefaultDisplay, *mode_))
        LogSwitchFailure("Display mode not restored: ", *mode_);
}

}  // namespace plexo
