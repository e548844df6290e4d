// Display modes over XRandR 1.2: a device is an output, its modes are the
// output's modes, and a switch sets the mode of the output's CRTC.

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/display.h"

namespace plexo::platform {

namespace {

std::function<unsigned long()> g_window;

// Xlib's own error handler ends the process; a refused request must only
// fail the call that made it.
int g_xErrors = 0;
int CountXError(::Display*, XErrorEvent*)
{
    ++g_xErrors;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(::Display* dpy) : dpy_(dpy), previous_(XSetErrorHandler(CountXError)) { g_xErrors = 0; }
    ~ErrorTrap()
    {
        XSync(dpy_, False);
        XSetErrorHandler(previous_);
    }
    bool Failed()
    {
        XSync(dpy_, False);
        return g_xErrors != 0;
    }

private:
    ::Display* dpy_;
    XErrorHandler previous_;
};

template <typename T, void (*Free)(T*)>
struct XRRDeleter {
    void operator()(T* p) const { Free(p); }
};
using Resources = std::unique_ptr<XRRScreenResources, XRRDeleter<XRRScreenResources, XRRFreeScreenResources>>;
using OutputInfo = std::unique_ptr<XRROutputInfo, XRRDeleter<XRROutputInfo, XRRFreeOutputInfo>>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, XRRDeleter<XRRCrtcInfo, XRRFreeCrtcInfo>>;

// The hertz a mode shows: dot clock over the pixels of a frame, two fields
// a frame when interlaced, every line twice when double-scanned.
int32_t RefreshRate(const XRRModeInfo& mode)
{
    double lines = mode.vTotal;
    if (mode.modeFlags & RR_DoubleScan)
        lines *= 2;
    if (mode.modeFlags & RR_Interlace)
        lines /= 2;
    const double pixels = double(mode.hTotal) * lines;
    if (mode.dotClock == 0 || pixels <= 0)
        return 0;
    return int32_t(std::lround(double(mode.dotClock) / pixels));
}

const XRRModeInfo* FindMode(const XRRScreenResources& res, RRMode id)
{
    for (int i = 0; i < res.nmode; ++i)
        if (res.modes[i].id == id)
            return &res.modes[i];
    return nullptr;
}

// One connection for one call, with the output that the device name picks.
class Session {
public:
    explicit Session(const std::string& server)
        : server_(server), dpy_(XOpenDisplay(server.empty() ? nullptr : server.c_str()))
    {
    }
    ~Session()
    {
        res_.reset();
        if (dpy_)
            XCloseDisplay(dpy_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool HasXRandR()
    {
        int event = 0, error = 0, major = 0, minor = 0;
        return dpy_ && XRRQueryExtension(dpy_, &event, &error) && XRRQueryVersion(dpy_, &major, &minor) &&
               (major > 1 || (major == 1 && minor >= 2));
    }

    // Finds the output; false when there is none by that name.
    bool Open(const std::string& device)
    {
        if (!HasXRandR())
            return false;
        root_ = DefaultRootWindow(dpy_);
        res_.reset(XRRGetScreenResourcesCurrent(dpy_, root_));
        if (!res_)
            return false;
        bitsPerPixel_ = ScreenBitsPerPixel();
        output_ = IsDefaultDisplay(device) ? DefaultOutput() : NamedOutput(device);
        if (output_ == None)
            return false;
        info_.reset(XRRGetOutputInfo(dpy_, res_.get(), output_));
        return info_ != nullptr;
    }

    std::vector<DisplayMode> Modes() const
    {
        std::vector<DisplayMode> modes;
        for (int i = 0; i < info_->nmode; ++i)
            if (const XRRModeInfo* mode = FindMode(*res_, info_->modes[i]))
                modes.push_back(ModeOf(*mode));
        return modes;
    }

    std::string Name() const { return std::string(info_->name, size_t(info_->nameLen)); }

    std::optional<DisplayMode> Current() const
    {
        if (info_->crtc == None)
            return std::nullopt;
        CrtcInfo crtc(XRRGetCrtcInfo(dpy_, res_.get(), info_->crtc));
        if (!crtc || crtc->mode == None)
            return std::nullopt;
        const XRRModeInfo* mode = FindMode(*res_, crtc->mode);
        return mode ? std::optional(ModeOf(*mode)) : std::nullopt;
    }

    bool Apply(const DisplayMode& asked)
    {
        if (asked.bitsPerPixel != bitsPerPixel_ || info_->crtc == None)
            return false;
        const RRMode target = Choose(asked);
        if (target == None)
            return false;
        CrtcInfo crtc(XRRGetCrtcInfo(dpy_, res_.get(), info_->crtc));
        if (!crtc)
            return false;
        if (!SetCrtcMode(info_->crtc, *crtc, target))
            return false;
        // The server may pick another mode than asked, or none; only a fresh
        // look at the same output tells.
        Session check(server_);
        if (!check.Open(Name()))
            return false;
        const std::optional<DisplayMode> shown = check.Current();
        return shown && ModeSatisfies(*shown, asked);
    }

private:
    int32_t ScreenBitsPerPixel() const
    {
        const int depth = DefaultDepth(dpy_, DefaultScreen(dpy_));
        int count = 0;
        XPixmapFormatValues* formats = XListPixmapFormats(dpy_, &count);
        int32_t bits = depth;
        for (int i = 0; i < count; ++i)
            if (formats[i].depth == depth)
                bits = formats[i].bits_per_pixel;
        if (formats)
            XFree(formats);
        return bits;
    }

    DisplayMode ModeOf(const XRRModeInfo& mode) const
    {
        return {bitsPerPixel_, int32_t(mode.width), int32_t(mode.height), RefreshRate(mode)};
    }

    RROutput NamedOutput(const std::string& name) const
    {
        for (int i = 0; i < res_->noutput; ++i) {
            OutputInfo info(XRRGetOutputInfo(dpy_, res_.get(), res_->outputs[i]));
            if (info && name == std::string(info->name, size_t(info->nameLen)))
                return res_->outputs[i];
        }
        return None;
    }

    // The output of the CRTC under the window's centre, else the primary
    // output, else the first output that shows something.
    RROutput DefaultOutput() const
    {
        if (const RROutput shown = WindowOutput(); shown != None)
            return shown;
        const RROutput primary = XRRGetOutputPrimary(dpy_, root_);
        if (primary != None && ShowsSomething(primary))
            return primary;
        for (int i = 0; i < res_->noutput; ++i)
            if (ShowsSomething(res_->outputs[i]))
                return res_->outputs[i];
        return None;
    }

    bool ShowsSomething(RROutput output) const
    {
        OutputInfo info(XRRGetOutputInfo(dpy_, res_.get(), output));
        return info && info->crtc != None;
    }

    RROutput WindowOutput() const
    {
        const unsigned long window = g_window ? g_window() : 0;
        if (window == 0)
            return None;
        ErrorTrap trap(dpy_);
        XWindowAttributes attributes{};
        int x = 0, y = 0;
        Window child = None;
        // The window may be gone by now; the trap swallows the error.
        if (!XGetWindowAttributes(dpy_, window, &attributes) ||
            !XTranslateCoordinates(dpy_, window, root_, attributes.width / 2, attributes.height / 2, &x, &y, &child))
            return None;
        for (int i = 0; i < res_->ncrtc; ++i) {
            CrtcInfo crtc(XRRGetCrtcInfo(dpy_, res_.get(), res_->crtcs[i]));
            if (crtc && crtc->mode != None && crtc->noutput > 0 && x >= crtc->x && y >= crtc->y &&
                x < crtc->x + int(crtc->width) && y < crtc->y + int(crtc->height))
                return crtc->outputs[0];
        }
        return None;
    }

    // The output's mode of that size and rate; for a default rate the
    // output's preferred mode of that size, else its first.
    RRMode Choose(const DisplayMode& asked) const
    {
        RRMode first = None;
        for (int i = 0; i < info_->nmode; ++i) {
            const XRRModeInfo* mode = FindMode(*res_, info_->modes[i]);
            if (!mode || !ModeSatisfies(ModeOf(*mode), asked))
                continue;
            if (i < info_->npreferred || asked.refreshRate > 1)
                return mode->id;
            if (first == None)
                first = mode->id;
        }
        return first;
    }

    static bool Sideways(Rotation rotation) { return rotation & (RR_Rotate_90 | RR_Rotate_270); }

    // The screen must hold every CRTC: it grows before the switch and shrinks
    // after it, so no CRTC ever lies outside it.
    bool SetCrtcMode(RRCrtc id, const XRRCrtcInfo& crtc, RRMode target)
    {
        const XRRModeInfo* mode = FindMode(*res_, target);
        int needW = 0, needH = 0;
        for (int i = 0; i < res_->ncrtc; ++i) {
            if (res_->crtcs[i] == id)
                continue;
            CrtcInfo other(XRRGetCrtcInfo(dpy_, res_.get(), res_->crtcs[i]));
            if (other && other->mode != None) {
                needW = std::max(needW, other->x + int(other->width));
                needH = std::max(needH, other->y + int(other->height));
            }
        }
        const bool sideways = Sideways(crtc.rotation);
        needW = std::max(needW, crtc.x + int(sideways ? mode->height : mode->width));
        needH = std::max(needH, crtc.y + int(sideways ? mode->width : mode->height));
        int minW = 0, minH = 0, maxW = 0, maxH = 0;
        if (XRRGetScreenSizeRange(dpy_, root_, &minW, &minH, &maxW, &maxH)) {
            if (needW > maxW || needH > maxH)
                return false;
            needW = std::max(needW, minW);
            needH = std::max(needH, minH);
        }
        const int screen = DefaultScreen(dpy_);
        const int oldW = DisplayWidth(dpy_, screen), oldH = DisplayHeight(dpy_, screen);
        const int wideW = std::max(oldW, needW), wideH = std::max(oldH, needH);

        ErrorTrap trap(dpy_);
        if (wideW != oldW || wideH != oldH)
            Resize(wideW, wideH, oldW, oldH);
        const Status status = XRRSetCrtcConfig(dpy_, res_.get(), id, CurrentTime, crtc.x, crtc.y, target,
                                               crtc.rotation, crtc.outputs, crtc.noutput);
        const bool switched = status == RRSetConfigSuccess && !trap.Failed();
        if (switched && (needW != wideW || needH != wideH))
            Resize(needW, needH, oldW, oldH);
        else if (!switched && (wideW != oldW || wideH != oldH))
            Resize(oldW, oldH, oldW, oldH);
        return switched;
    }

    // Keeps the screen's dots per millimetre.
    void Resize(int w, int h, int oldW, int oldH)
    {
        const int screen = DefaultScreen(dpy_);
        const int mmW = std::max(1, int(std::lround(double(DisplayWidthMM(dpy_, screen)) * w / std::max(1, oldW))));
        const int mmH = std::max(1, int(std::lround(double(DisplayHeightMM(dpy_, screen)) * h / std::max(1, oldH))));
        XRRSetScreenSize(dpy_, root_, w, h, mmW, mmH);
        XSync(dpy_, False);
    }

    std::string server_;
    ::Display* dpy_;
    Window root_ = None;
    Resources res_;
    OutputInfo info_;
    RROutput output_ = None;
    int32_t bitsPerPixel_ = 0;
};

class XRandRDevices : public DisplayDevices {
public:
    explicit XRandRDevices(std::string server) : server_(std::move(server)) {}

    std::vector<DisplayMode> Modes(const std::string& device) override
    {
        Session session(server_);
        return session.Open(device) ? session.Modes() : std::vector<DisplayMode>{};
    }

    std::optional<DisplayMode> Current(const std::string& device) override
    {
        Session session(server_);
        return session.Open(device) ? session.Current() : std::nullopt;
    }

    bool Apply(const std::string& device, const DisplayMode& mode) override
    {
        Session session(server_);
        return session.Open(device) && session.Apply(mode);
    }

    std::optional<OutputMode> CurrentOutput(const std::string& device) override
    {
        Session session(server_);
        if (!session.Open(device))
            return std::nullopt;
        const std::optional<DisplayMode> mode = session.Current();
        return mode ? std::optional(OutputMode{session.Name(), *mode}) : std::nullopt;
    }

private:
    std::string server_;
};

}  // namespace

void SetDisplayWindow(std::function<unsigned long()> xWindow)
{
    g_window = std::move(xWindow);
}

std::shared_ptr<DisplayDevices> OpenXRandRDevices(const std::string& serverName)
{
    Session probe(serverName);
    if (!probe.HasXRandR())
        return nullptr;
    return std::make_shared<XRandRDevices>(serverName);
}

}  // namespace plexo::platform
