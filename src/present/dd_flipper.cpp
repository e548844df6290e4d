#include "present/dd_flipper.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/ddraw.h"
#include "platform/log.h"
#include "platform/registry.h"

namespace plexo {

namespace {

constexpr uint32_t kBackBuffers = 2;
constexpr uint32_t kChainCaps = K3V_DDSCAPS_PRIMARYSURFACE | K3V_DDSCAPS_FLIP | K3V_DDSCAPS_COMPLEX |
                                K3V_DDSCAPS_3DDEVICE | K3V_DDSCAPS_VIDEOMEMORY;
// Alpha, front buffer, overlay, primary surface, system memory, visible,
// z-buffer, live video, mip-map, allocate on load: none of these is a back
// buffer of the chain.
constexpr uint32_t kNotABackBuffer = 0x044A8AA2;
constexpr uint32_t kBusy = K3V_STATUS_SHOWN | K3V_STATUS_QUEUED;
constexpr const char* kDefaultDevice = "display";

struct Collecting {
    K3V_Surface** chain;
    uint32_t count;
    uint32_t filled;
    uint32_t added;
};

int32_t CollectOne(K3V_Surface* surface, const K3V_SurfaceDesc*, void* context)
{
    auto& c = *static_cast<Collecting*>(context);
    if (c.filled >= c.count)
        return K3V_DDENUMRET_CANCEL;
    uint32_t caps = 0;
    if (surface->ops->GetCaps(surface, &caps) != K3V_DD_OK)
        return K3V_DDENUMRET_CANCEL;
    const bool backBuffer = (caps & K3V_DDSCAPS_FLIP) && (caps & K3V_DDSCAPS_VIDEOMEMORY) && !(caps & kNotABackBuffer);
    if (backBuffer && std::find(c.chain, c.chain + c.filled, surface) == c.chain + c.filled) {
        c.chain[c.filled++] = surface;
        ++c.added;
    }
    return c.filled >= c.count ? K3V_DDENUMRET_CANCEL : K3V_DDENUMRET_OK;
}

std::string ResultText(K3V_Result result)
{
    char text[24];
    std::snprintf(text, sizeof text, "result 0x%X", result);
    return text;
}

K3V_BltFx BlackFill()
{
    K3V_BltFx fx{};
    fx.size = sizeof fx;
    fx.fillColor = 0;
    return fx;
}

}  // namespace

void RestoreIfLost(K3V_Surface* surface)
{
    if (surface && surface->ops->IsLost(surface) != K3V_DD_OK)
        surface->ops->Restore(surface);
}

DDFlipper::~DDFlipper()
{
    ReleaseDriver();
    if (primary_)
        primary_->ops->Release(primary_);
    if (directDraw_)
        directDraw_->ops->Release(directDraw_);
}

void DDFlipper::Open()
{
    adapter_ = 0;
    const std::optional<platform::Registry> registry = platform::Registry::Read();
    if (const auto guid = registry ? registry->DeviceGuidOf(adapter_) : std::nullopt) {
        K3V_GUID device;
        std::memcpy(&device, &*guid, sizeof device);
        if (platform::DirectDrawCreate(&device, &directDraw_, nullptr) != K3V_DD_OK)
            directDraw_ = nullptr;
    }
    if (!directDraw_ && platform::DirectDrawCreate(nullptr, &directDraw_, nullptr) != K3V_DD_OK)
        directDraw_ = nullptr;
    if (!directDraw_)
        return;
    std::string why;
    if (LoadFlipperDriver(registry, &driver_, &why) != K3V_RESULT_OK) {
        LogMessage("Stereo cannot start: " + why);
        ReleaseDirectDraw();
        return;
    }

    displayInfo_ = {};
    const std::optional<std::string> name = DriverDeviceName(driver_, adapter_);
    const std::string device = name && !name->empty() ? *name : kDefaultDevice;
    device.copy(displayInfo_.deviceName, sizeof displayInfo_.deviceName - 1);
    stereoStart_ = host.keepMode ? host.keepMode(displayInfo_.deviceName) : std::nullopt;
    if (const auto mode = host.readMode ? host.readMode(displayInfo_.deviceName) : std::nullopt) {
        displayInfo_.width = mode->width;
        displayInfo_.height = mode->height;
        displayInfo_.bitsPerPixel = mode->bitsPerPixel;
        displayInfo_.window = host.mainWindow;
        if (host.windowRect)
            displayInfo_.windowRect = host.windowRect();
    }

    caps_ = DriverCaps(driver_, adapter_).value_or(K3V_DriverCaps{12, 0, 0});
}

bool DDFlipper::CreatePrimaryChain()
{
    K3V_SurfaceDesc desc{};
    desc.size = sizeof desc;
    desc.flags = K3V_DDSD_CAPS | K3V_DDSD_BACKBUFFERCOUNT;
    desc.backBufferCount = kBackBuffers;
    desc.caps = kChainCaps;
    const K3V_HRESULT result = directDraw_->ops->CreateSurface(directDraw_, &desc, &primary_, nullptr);
    if (result != K3V_DD_OK) {
        primary_ = nullptr;
        if (const char* name = platform::DDErrorName(result))
            LogMessage(name);
        return false;
    }
    count_ = kBackBuffers + 1;
    return true;
}

void DDFlipper::CollectChain()
{
    std::fill(chain_, chain_ + count_, nullptr);
    chain_[0] = primary_;
    Collecting c{chain_, count_, 1, 0};
    for (uint32_t i = 0; i < c.filled && c.filled < count_; ++i) {
        c.added = 0;
        if (chain_[i]->ops->EnumAttachedSurfaces(chain_[i], &c, CollectOne) != K3V_DD_OK || c.added == 0)
            break;
    }
}

void DDFlipper::ClearChain(bool wait)
{
    const K3V_BltFx fx = BlackFill();
    for (uint32_t i = 0; i < count_; ++i) {
        K3V_Surface* s = chain_[i];
        if (!s || (!wait && i > 1))
            continue;
        s->ops->Blt(s, nullptr, nullptr, nullptr, K3V_DDBLT_COLORFILL, &fx);
        while (wait && s->ops->GetBltStatus(s, K3V_DDGBS_ISBLTDONE) == K3V_DDERR_WASSTILLDRAWING) {
        }
    }
}

void DDFlipper::StartFlipping()
{
    if (!driver_ || !directDraw_ || !CreatePrimaryChain())
        return;
    CollectChain();
    ClearChain(true);
    reportedFailure_ = false;
    const K3V_Result started = DriverCalls(driver_).StartStereo(driver_, adapter_, directDraw_, chain_[0], chain_[1]);
    running_ = started == K3V_RESULT_OK;
    if (!running_)
        LogMessage("Stereo cannot start: the flipper driver refused to start (" + ResultText(started) + ")");
}

K3V_Surface* DDFlipper::FindFreeSurface(uint32_t fallback)
{
    for (uint32_t i = 0; i < count_; ++i) {
        // A surface whose status the driver cannot tell may be on the screen.
        const std::optional<uint32_t> status = DriverSurfaceStatus(driver_, adapter_, chain_[i]);
        if (status && !(*status & kBusy))
            return chain_[i];
    }
    return chain_[fallback];
}

void DDFlipper::DrawInto(K3V_Surface* surface, const ViewRect& rect, const platform::BitmapInfoHeader& header,
                         const uint8_t* bits)
{
    RestoreIfLost(surface);
    K3V_DC* dc = nullptr;
    if (!surface || surface->ops->GetDC(surface, &dc) != K3V_DD_OK || !dc)
        return;
    platform::SetDIBitsToDevice(dc, rect.left, rect.top, uint32_t(header.width), uint32_t(header.height), 0, 0, 0,
                                uint32_t(header.height), bits, header, platform::kDibRgbColors);
    surface->ops->ReleaseDC(surface, dc);
}

void DDFlipper::ShowPair(const ViewRect& rect, const platform::BitmapInfoHeader& header, const uint8_t* first,
                         const uint8_t* second)
{
    // Without a chain there is nothing to draw into and nothing to name.
    if (!driver_ || !chain_[0])
        return;
    const K3V_FunctionTable& f = DriverCalls(driver_);
    K3V_Surface* firstSurface = FindFreeSurface(0);
    DrawInto(firstSurface, rect, header, first);
    Check(f.SetEye(driver_, adapter_, firstSurface, K3V_EYE_FIRST));
    if (!(caps_.caps1 & K3V_CAPS1_ALTERNATES) && !(caps_.caps2 & K3V_CAPS2_ONE_SWAP) && count_ == 3)
        Check(f.Present(driver_, adapter_, 1));
    K3V_Surface* secondSurface = FindFreeSurface(1);
    DrawInto(secondSurface, rect, header, second);
    Check(f.SetEye(driver_, adapter_, secondSurface, K3V_EYE_SECOND));
    Check(f.Present(driver_, adapter_, 1));
}

void DDFlipper::CopyToSecond(const ViewRect& rect)
{
    K3V_Surface* from = chain_[0];
    K3V_Surface* to = chain_[1];
    if (!from || !to)
        return;
    K3V_DC* source = nullptr;
    K3V_DC* dest = nullptr;
    if (from->ops->GetDC(from, &source) != K3V_DD_OK)
        source = nullptr;
    if (to->ops->GetDC(to, &dest) != K3V_DD_OK)
        dest = nullptr;
    platform::BitBlt(dest, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, rect.left,
                     rect.top, platform::kSrcCopy);
    if (dest)
        to->ops->ReleaseDC(to, dest);
    if (source)
        from->ops->ReleaseDC(from, source);
}

void DDFlipper::ReleaseDriver()
{
    if (!driver_)
        return;
    // A driver still running would go on using the surfaces, or its own code
    // after the library is gone.
    StopDriver();
    // Always the system's own routine, whatever the driver put in slot 10.
    ReleaseFlipperDriver(driver_, adapter_);
    driver_ = nullptr;
}

void DDFlipper::StopDriver()
{
    if (!running_)
        return;
    running_ = false;
    const K3V_Result stopped = DriverCalls(driver_).StopStereo(driver_, adapter_, directDraw_, chain_[0], chain_[1]);
    if (stopped != K3V_RESULT_OK)
        LogMessage("The flipper driver did not stop cleanly (" + ResultText(stopped) + ")");
}

// A frame the driver cannot mark or present is reported once a session, not
// once a frame.
void DDFlipper::Check(K3V_Result result)
{
    if (result == K3V_RESULT_OK || reportedFailure_)
        return;
    reportedFailure_ = true;
    LogMessage("The flipper driver failed to show a frame (" + ResultText(result) + ")");
}

void DDFlipper::Close()
{
    if (chain_[0] && chain_[1]) {
        RestoreIfLost(chain_[0]);
        ClearChain(false);
    }
    if (driver_ && directDraw_ && chain_[0] && chain_[1]) {
        StopDriver();
        // Exactly the mode stereo started in, rate included; an output that
        // shows it still is not switched.
        if (stereoStart_ && host.applyMode)
            host.applyMode(stereoStart_->output, stereoStart_->mode);
        if (host.invalidateAll)
            host.invalidateAll();
        if (host.moveWindow)
            host.moveWindow(displayInfo_.windowRect);
    }
    ReleaseDriver();
    if (primary_)
        primary_->ops->Release(primary_);
    primary_ = nullptr;
    std::fill(chain_, chain_ + kChainSize, nullptr);
    count_ = 0;
    stereoStart_.reset();
}

void DDFlipper::ReleaseDirectDraw()
{
    if (directDraw_)
        directDraw_->ops->Release(directDraw_);
    directDraw_ = nullptr;
}

}  // namespace plexo
