#pragma once
// The page flipper: a DirectDraw flipping chain of three surfaces and the
// flipper driver that alternates them. The main frame owns one for its whole
// life; stereo on opens it and starts flipping, every frame pair goes through
// ShowPair, stereo off closes it. Everything here runs on the user-interface
// thread; the driver alternates on its own thread and is only told which
// surface holds which eye.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/display.h"
#include "platform/gdi.h"
#include "plexo/k3v_dd.h"
#include "present/compositor.h"
#include "present/flipper_driver.h"

namespace plexo {

// What the page flipper needs of the windowing system and the display; the
// viewer connects its main window and the display-mode layer, tests record.
struct FlipHost {
    void* mainWindow = nullptr;
    std::function<K3V_Rect()> windowRect;
    // Moves the main window to the rectangle, repainting it.
    std::function<void(const K3V_Rect&)> moveWindow;
    std::function<void()> invalidateAll;
    // The mode the named device shows; nullopt when there is no such device.
    std::function<std::optional<platform::DisplayMode>(const std::string& device)> readMode;
    // Keeps the device's mode as a start-up mode before stereo may switch
    // it, and returns its output with the mode it shows; null where the
    // display layer does not know the device, which is then left alone.
    std::function<std::optional<platform::OutputMode>(const std::string& device)> keepMode;
    // ApplyModeToDevice: sets the named output's mode; the result is not checked.
    std::function<void(const std::string& device, const platform::DisplayMode& mode)> applyMode;
};

class DDFlipper {
public:
    static constexpr uint32_t kChainSize = 4;

    DDFlipper() = default;
    // Stops and releases the driver before the surfaces it may be showing.
    ~DDFlipper();
    DDFlipper(const DDFlipper&) = delete;
    DDFlipper& operator=(const DDFlipper&) = delete;

    FlipHost host;

    // Prepares DirectDraw and the driver; success shows as driver() != null.
    void Open();
    // Creates the chain and starts the driver; errors go to the message log.
    void StartFlipping();
    // Draws the first eye's bitmap and then the second's into free chain
    // surfaces at the rectangle (screen coordinates), telling the driver
    // which eye each holds.
    void ShowPair(const ViewRect& rect, const platform::BitmapInfoHeader& header, const uint8_t* first,
                  const uint8_t* second);
    // Copies the rectangle of the first chain surface onto the second.
    void CopyToSecond(const ViewRect& rect);
    // Stops flipping, gives back the display mode and the window's place,
    // releases the driver and the surfaces; nothing happens when nothing is open.
    void Close();
    void ReleaseDirectDraw();

    FlipperDriver* driver() const { return driver_; }
    K3V_DirectDraw* directDraw() const { return directDraw_; }
    K3V_Surface* chainSurface(uint32_t i) const { return i < kChainSize ? chain_[i] : nullptr; }
    uint32_t count() const { return count_; }
    const K3V_DriverCaps& caps() const { return caps_; }
    const K3V_FlipDisplayInfo& displayInfo() const { return displayInfo_; }

private:
    bool CreatePrimaryChain();
    void CollectChain();
    void ClearChain(bool wait);
    K3V_Surface* FindFreeSurface(uint32_t fallback);
    void DrawInto(K3V_Surface* surface, const ViewRect& rect, const platform::BitmapInfoHeader& header,
                  const uint8_t* bits);
    void StopDriver();
    void ReleaseDriver();
    void Check(K3V_Result result);

    K3V_DirectDraw* directDraw_ = nullptr;
    K3V_Surface* primary_ = nullptr;
    K3V_Surface* chain_[kChainSize] = {};
    FlipperDriver* driver_ = nullptr;
    uint32_t adapter_ = 0;
    uint32_t count_ = 0;
    bool running_ = false;         // started and not yet stopped
    bool reportedFailure_ = false;  // a failed mark or present was logged
    K3V_DriverCaps caps_{12, 0, 0};
    K3V_FlipDisplayInfo displayInfo_{};
    // The output and mode stereo started in, which Close puts back.
    std::optional<platform::OutputMode> stereoStart_;
};

// RestoreIfLost: a lost surface is restored before it is drawn into.
void RestoreIfLost(K3V_Surface* surface);

}  // namespace plexo
