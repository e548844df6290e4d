#pragma once
// The screen's display modes: the modes a display device offers, the mode it
// shows, and switching it. On X11 a device is an XRandR output; where modes
// cannot be switched (no XRandR, Wayland, the offscreen platform, no display
// at all) a device offers only the mode it shows and refuses every other.
//
// Device names: "Display" (in any case) and the empty name mean the display
// that shows the main window, or the primary one while there is no window;
// any other name is an XRandR output's ("HDMI-1", "DUMMY0").

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plexo::platform {

struct DisplayMode {
    int32_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    // Whole hertz; 0 when the display cannot tell. Asking for 0 or 1 asks for
    // the device's default rate at that size.
    int32_t refreshRate = 0;

    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// An output by name and a mode of it.
struct OutputMode {
    std::string output;
    DisplayMode mode;

    friend bool operator==(const OutputMode&, const OutputMode&) = default;
};

// The device name that stands for the main window's display.
inline constexpr const char* kDefaultDisplay = "Display";

// The modes the device offers, in the device's order, duplicates kept. Empty
// when the device does not exist or reports none.
std::vector<DisplayMode> ReadDisplayModes(const std::string& device = kDefaultDisplay);
// Null when the device does not exist or shows nothing.
std::optional<DisplayMode> ReadCurrentMode(const std::string& device = kDefaultDisplay);
// The output that the device name stands for now, with the mode it shows;
// null when the device does not exist or shows nothing. For "Display" this
// is the output under the main window at the time of the call.
std::optional<OutputMode> ReadOutputMode(const std::string& device = kDefaultDisplay);
// Switches the device to the mode for this session only. True when the device
// shows the mode afterwards (for a default rate: its size and bits); false when
// it refused, has no such mode or came out in another mode. A device that
// shows the mode already is left alone.
bool ApplyModeToDevice(const std::string& device, const DisplayMode& mode);
// Puts each output back in its mode where it shows another; returns those
// that did not come back.
std::vector<OutputMode> RestoreOutputModes(const std::vector<OutputMode>& modes);

// Gives the X window whose display "Display" names; 0 for none (the primary
// display). Asked at every use, because the native window of the main window
// is recreated when its flags change. The viewer sets it once the window exists.
void SetDisplayWindow(std::function<unsigned long()> xWindow);

// What the functions above talk to. Tests install a scripted one.
class DisplayDevices {
public:
    virtual ~DisplayDevices() = default;
    virtual std::vector<DisplayMode> Modes(const std::string& device) = 0;
    virtual std::optional<DisplayMode> Current(const std::string& device) = 0;
    virtual bool Apply(const std::string& device, const DisplayMode& mode) = 0;
    // The output the device name stands for, with its mode; a device that
    // names itself unless it says otherwise.
    virtual std::optional<OutputMode> CurrentOutput(const std::string& device);
};

// Installs the devices and returns the previous ones. Until something is
// installed, the first use picks XRandR on $DISPLAY when that server has it,
// else a display that shows nothing.
std::shared_ptr<DisplayDevices> SetDisplayDevices(std::shared_ptr<DisplayDevices> devices);

// XRandR 1.2 or later on the named X server ("" for $DISPLAY); null when the
// server cannot be reached or lacks it. Every call opens its own connection,
// so a server that goes away makes the calls fail, not the program.
std::shared_ptr<DisplayDevices> OpenXRandRDevices(const std::string& serverName);
// A display that offers only `current` and accepts only that (or nothing at
// all when `current` is null): the stand-in where modes cannot be switched.
std::shared_ptr<DisplayDevices> FixedModeDevices(std::optional<DisplayMode> current);

// True for the names that mean the main window's display.
bool IsDefaultDisplay(const std::string& device);
// A request for a default rate matches any rate at that size and depth.
bool ModeSatisfies(const DisplayMode& shown, const DisplayMode& asked);

}  // namespace plexo::platform
