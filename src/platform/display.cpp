#include "platform/display.h"

#include <cstdlib>
#include <strings.h>

namespace plexo::platform {

namespace {

std::shared_ptr<DisplayDevices>& Installed()
{
    static std::shared_ptr<DisplayDevices> devices;
    return devices;
}

DisplayDevices& Devices()
{
    std::shared_ptr<DisplayDevices>& devices = Installed();
    if (!devices) {
        const char* server = std::getenv("DISPLAY");
        if (server && *server)
            devices = OpenXRandRDevices("");
        if (!devices)
            devices = FixedModeDevices(std::nullopt);
    }
    return *devices;
}

class FixedMode : public DisplayDevices {
public:
    explicit FixedMode(std::optional<DisplayMode> current) : current_(current) {}

    std::vector<DisplayMode> Modes(const std::string& device) override
    {
        if (!current_ || !IsDefaultDisplay(device))
            return {};
        return {*current_};
    }

    std::optional<DisplayMode> Current(const std::string& device) override
    {
        return IsDefaultDisplay(device) ? current_ : std::nullopt;
    }

    bool Apply(const std::string& device, const DisplayMode& mode) override
    {
        return current_ && IsDefaultDisplay(device) && ModeSatisfies(*current_, mode);
    }

private:
    std::optional<DisplayMode> current_;
};

}  // namespace

std::optional<OutputMode> DisplayDevices::CurrentOutput(const std::string& device)
{
    const std::optional<DisplayMode> mode = Current(device);
    if (!mode)
        return std::nullopt;
    return OutputMode{IsDefaultDisplay(device) ? std::string(kDefaultDisplay) : device, *mode};
}

bool IsDefaultDisplay(const std::string& device)
{
    return device.empty() || strcasecmp(device.c_str(), kDefaultDisplay) == 0;
}

bool ModeSatisfies(const DisplayMode& shown, const DisplayMode& asked)
{
    const bool anyRate = asked.refreshRate == 0 || asked.refreshRate == 1;
    return shown.bitsPerPixel == asked.bitsPerPixel && shown.width == asked.width &&
           shown.height == asked.height && (anyRate || shown.refreshRate == asked.refreshRate);
}

std::shared_ptr<DisplayDevices> SetDisplayDevices(std::shared_ptr<DisplayDevices> devices)
{
    std::shared_ptr<DisplayDevices> previous = std::move(Installed());
    Installed() = std::move(devices);
    return previous;
}

std::shared_ptr<DisplayDevices> FixedModeDevices(std::optional<DisplayMode> current)
{
    return std::make_shared<FixedMode>(current);
}

std::vector<DisplayMode> ReadDisplayModes(const std::string& device)
{
    return Devices().Modes(device);
}

std::optional<DisplayMode> ReadCurrentMode(const std::string& device)
{
    return Devices().Current(device);
}

std::optional<OutputMode> ReadOutputMode(const std::string& device)
{
    return Devices().CurrentOutput(device);
}

bool ApplyModeToDevice(const std::string& device, const DisplayMode& mode)
{
    DisplayDevices& devices = Devices();
    if (const std::optional<DisplayMode> shown = devices.Current(device); shown && ModeSatisfies(*shown, mode))
        return true;
    return devices.Apply(device, mode);
}

std::vector<OutputMode> RestoreOutputModes(const std::vector<OutputMode>& modes)
{
    std::vector<OutputMode> failed;
    for (const OutputMode& kept : modes)
        if (!ApplyModeToDevice(kept.output, kept.mode))
            failed.push_back(kept);
    return failed;
}

}  // namespace plexo::platform
