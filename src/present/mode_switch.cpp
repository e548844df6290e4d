#include "present/mode_switch.h"

#include "platform/log.h"

namespace plexo {

namespace {

using platform::DisplayMode;

void LogSwitchFailure(const char* what, const DisplayMode& mode)
{
    LogMessage(std::string(what) + ModeLabel(mode));
}

// Puts the mode back after a switch; a failure is logged once.
void SwitchBack(const std::string& output, const DisplayMode& former)
{
    if (!platform::ApplyModeToDevice(output, former))
        LogSwitchFailure("Display mode not restored: ", former);
}

}  // namespace

ModeSwitch SwitchToListedMode(const List4i& list, int selected, const std::function<bool()>& confirm,
                              StartupModes& startup)
{
    // The output is named once, so that the switch, the switch back and the
    // kept start-up mode are all about the same one wherever the window goes.
    const std::optional<platform::OutputMode> shown = platform::ReadOutputMode();
    const std::string output = shown ? shown->output : platform::kDefaultDisplay;
    const std::optional<DisplayMode> former = shown ? std::optional(shown->mode) : std::nullopt;
    const int formerIndex = list.IndexOf(former);
    ModeSwitch outcome{ModeSwitch::kNothing, formerIndex};
    const Item4i* item = list.Find(selected);
    if (selected == formerIndex || !item)
        return outcome;

    startup.Keep(output);
    if (!platform::ApplyModeToDevice(output, item->mode)) {
        LogSwitchFailure("Display mode not set: ", item->mode);
        // A display that came out in a third mode gets its former one back.
        if (former)
            SwitchBack(output, *former);
        outcome.result = ModeSwitch::kRefused;
        outcome.selection = list.IndexOf(platform::ReadCurrentMode(output));
        return outcome;
    }
    if (confirm()) {
        outcome.result = ModeSwitch::kKept;
        outcome.selection = selected;
        return outcome;
    }
    if (former)
        SwitchBack(output, *former);
    outcome.result = ModeSwitch::kReverted;
    return outcome;
}

}  // namespace plexo
